#include "data/general_import.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/data_start.h"
#include "data/field_store.h"
#include "data/field_tokenizer.h"
#include "data/plain_field_scan.h"
#include "data/written_value_reread.h"
#include "runtime/text_to_single.h"

namespace velmora::importing {

namespace {

// A field's number by the general rules: with the semicolon delimiter a
// comma in a field without "." is the decimal mark. `written` may be null.
NumberParse generalNumber(std::string_view text, char delimiter, float& value, double* written,
                          std::string& scratch) {
    if (delimiter == kSemicolonDelimiter && text.find(',') != std::string_view::npos &&
        text.find('.') == std::string_view::npos) {
        scratch.assign(text);
        std::replace(scratch.begin(), scratch.end(), ',', '.');
        text = scratch;
    }
    if (written != nullptr) return textToSingleAndDouble(text, value, *written);
    return textToSingle(text, value);
}

enum class CellKind { Number, Missing, Text, OutOfRange };

// A data field: a number (quoted or not), a missing code (never quoted: a
// quoted "NA" is a text, as R and pandas write one), or a text.
CellKind classifyField(const TokenField& field, char delimiter, float& value, double* written,
                       std::string& scratch) {
    switch (generalNumber(field.text, delimiter, value, written, scratch)) {
        case NumberParse::Number:
            return CellKind::Number;
        case NumberParse::OutOfRange:
            return CellKind::OutOfRange;
        case NumberParse::NotNumber:
            break;
    }
    if (!field.quoted && isMissingField(field.text)) {
        value = MISSING_VALUE;
        return CellKind::Missing;
    }
    return CellKind::Text;
}

// What the first reading finds: the records, line 1, and the width of the others.
struct RecordShape {
    std::size_t records = 0;
    LineOne lineOne;
    std::size_t lineOneFields = 0;
    std::size_t secondFields = 0;
    std::size_t widestAfter = 0;
};

RecordShape readShape(std::string_view bytes, char delimiter) {
    RecordShape shape;
    FieldTokenizer tokenizer(bytes, delimiter);
    while (tokenizer.next()) {
        ++shape.records;
        if (shape.records == 1) {
            shape.lineOne = readLineOne(tokenizer.fields(), tokenizer.fieldCount());
            shape.lineOneFields = tokenizer.fieldCount();
        } else {
            if (shape.records == 2) shape.secondFields = tokenizer.fieldCount();
            shape.widestAfter = std::max(shape.widestAfter, tokenizer.fieldCount());
        }
    }
    return shape;
}

// How the records' fields map to variables.
struct RecordLayout {
    bool header = false;
    bool rowNames = false;
    std::size_t skipped = 0;  // fields before variable 1: the row name's
};

RecordLayout layoutOf(const RecordShape& shape) {
    RecordLayout layout;
    layout.header = shape.lineOne.names.has_value() && shape.records >= 2;
    // R writes one name fewer than data fields over a row-name column.
    layout.rowNames = layout.header && (shape.lineOne.rowNamesMarked ||
                                        (shape.secondFields == shape.lineOneFields + 1 &&
                                         shape.widestAfter == shape.lineOneFields + 1));
    layout.skipped = layout.rowNames ? 1 : 0;
    return layout;
}

// The variables the storing reading made, and which of them hold texts.
struct StoredFields {
    std::vector<char> text = std::vector<char>(MAX_VARIABLES + 1, 0);
    std::array<float*, MAX_VARIABLES + 1> columns{};
    std::int32_t numVariables = 0;
};

// Stores the fields of one record, case `row`, that starts on line `line`.
ImportResult storeRecord(const FieldTokenizer& tokenizer, char delimiter,
                         const RecordLayout& layout, std::int32_t row, DataSet& fresh,
                         StoredFields& stored, std::string& scratch) {
    const std::vector<TokenField>& fields = tokenizer.fields();
    const std::int64_t line = tokenizer.line();
    for (std::size_t k = layout.skipped; k < tokenizer.fieldCount(); ++k) {
        const auto column = static_cast<std::int32_t>(k - layout.skipped + 1);
        if (column > MAX_VARIABLES) return failureAt(ImportStatus::TooManyFields, row, 0, line);
        if (column > stored.numVariables) {
            stored.numVariables = column;
            stored.columns[static_cast<std::size_t>(column)] =
                fresh.g_sngData.column(column, MISSING_VALUE);
        }
        float value = 0.0f;
        switch (classifyField(fields[k], delimiter, value, nullptr, scratch)) {
            case CellKind::Number:
            case CellKind::Missing:
                break;
            case CellKind::OutOfRange:
                return failureAt(ImportStatus::NumberOutOfRange, row, column, line);
            case CellKind::Text:
                // Without a header line a text is a fault, as it always was.
                if (!layout.header) return failureAt(ImportStatus::InvalidEntry, row, column, line);
                stored.text[static_cast<std::size_t>(column)] = 1;
                value = MISSING_VALUE;
                break;
        }
        stored.columns[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = value;
    }
    return {};
}

// The second reading: stores the fields of every record after the header.
ImportResult storeRecords(std::string_view bytes, char delimiter, const RecordLayout& layout,
                          DataSet& fresh, StoredFields& stored, std::string& scratch) {
    FieldTokenizer tokenizer(bytes, delimiter);
    if (layout.header) tokenizer.next();
    std::int32_t row = 0;
    while (tokenizer.next()) {
        ++row;
        const ImportResult result =
            storeRecord(tokenizer, delimiter, layout, row, fresh, stored, scratch);
        if (result.status != ImportStatus::Completed) return result;
    }
    return {};
}

// The third reading, only for variables whose singles may not hold their values.
void rereadRecords(std::string_view bytes, char delimiter, const RecordLayout& layout,
                   std::size_t records, DataSet& fresh, std::string& scratch) {
    const std::vector<Reread> variables = variablesToReread(fresh);
    if (variables.empty()) return;
    std::vector<std::vector<double>> written;
    written.reserve(variables.size());
    for (const Reread& r : variables) {
        const float* singles = fresh.g_sngData.columnData(r.variable);
        written.emplace_back(singles + 1, singles + 1 + records);
    }
    FieldTokenizer tokenizer(bytes, delimiter);
    if (layout.header) tokenizer.next();
    for (std::size_t row = 0; tokenizer.next(); ++row) {
        for (std::size_t c = 0; c < variables.size(); ++c) {
            const std::size_t k =
                static_cast<std::size_t>(variables[c].variable - 1) + layout.skipped;
            if (k >= tokenizer.fieldCount()) continue;
            float single = 0.0f;
            double value = 0.0;
            if (classifyField(tokenizer.fields()[k], delimiter, single, &value, scratch) ==
                CellKind::Number)
                written[c][row] = value;
        }
    }
    keepNeededWrittenValues(fresh, variables, written);
}

}  // namespace

ImportResult importGeneral(std::string_view bytes, char delimiter, DataSet& fresh) {
    if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());

    RecordShape shape = readShape(bytes, delimiter);
    const RecordLayout layout = layoutOf(shape);
    std::size_t records = shape.records;
    if (layout.header) --records;
    ImportResult result = allocateFor(records, fresh);
    if (result.status != ImportStatus::Completed) return result;

    StoredFields stored;
    std::string scratch;
    result = storeRecords(bytes, delimiter, layout, fresh, stored, scratch);
    if (result.status != ImportStatus::Completed) return result;
    fresh.g_lngNumVariables = stored.numVariables;
    if (layout.header) keepNames(fresh, std::move(*shape.lineOne.names));
    fresh.rowNames = layout.rowNames;
    for (std::int32_t j = 1; j <= stored.numVariables; ++j) {
        if (stored.text[static_cast<std::size_t>(j)] == 0) continue;
        fresh.textVariables.push_back(j);
        std::fill_n(stored.columns[static_cast<std::size_t>(j)] + 1, records, MISSING_VALUE);
    }

    rereadRecords(bytes, delimiter, layout, records, fresh, scratch);
    return {};
}

}  // namespace velmora::importing
