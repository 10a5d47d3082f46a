#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "data/data_set.h"
#include "data/import_failure.h"
#include "data/single_storage.h"

// The third reading of a text, for the variables whose singles may not hold
// their values: their fields again, as the nearest doubles of their texts.
namespace velmora::importing {

// A variable whose singles may not hold its values, and what storing them did.
struct Reread {
    std::int32_t variable;
    SingleStorage storage;
};

// Once the fields are stored: the variables for which even the largest error
// a single can have would be beyond what it may stand for. Ordinary data have
// none, and then nothing more is read or kept.
std::vector<Reread> variablesToReread(const DataSet& data);

// Keeps, of the variables reread, every column whose values as written
// (`columns`, one per variable in order) lie further from their singles than
// those may stand for.
void keepNeededWrittenValues(DataSet& data, const std::vector<Reread>& variables,
                             std::vector<std::vector<double>>& columns);

// The third reading over the same lines as the one that stored them: the
// fields of the variables to reread, taken again as the nearest doubles of
// their texts. Each column starts as its singles widened, so missing fields
// and cells no field reaches read as the singles say; a field that no longer
// gives its stored single means the file changed since it was stored.
class WrittenValueReader {
public:
    WrittenValueReader(const DataSet& data, char delimiter, std::vector<Reread> variables);

    // Reads the lines of [p, end), which must end with a line end or with the text.
    ImportResult readLines(const char* p, const char* end);

    std::int32_t rowsRead() const { return m_row; }

    // Keeps every column whose values as written lie further from their
    // singles than those may stand for.
    void keepNeeded(DataSet& data) { keepNeededWrittenValues(data, m_variables, m_columns); }

private:
    // The field starting at p again: its value as written goes to `written`.
    // Returns where it ends, or nullptr when it no longer is what was stored.
    // A plain number is scanned in place, as the storing reading does.
    const char* reread(const char* p, const char* end, float stored, double& written) const;

    const DataSet& m_data;
    const char m_delimiter;
    const bool m_scanInPlace;  // as in FieldStore
    std::vector<Reread> m_variables;
    std::vector<std::vector<double>> m_columns;  // one per variable to reread, in order
    std::array<double*, MAX_VARIABLES + 1> m_written{};
    std::array<const float*, MAX_VARIABLES + 1> m_singles{};
    std::int32_t m_last = 0;  // the highest variable to reread
    std::int32_t m_row = 0;
};

// The third reading when it is needed: `readAll(reader)` hands it every block
// of the same text. Keeps the written values of the variables that need them.
template <class ReadAll>
ImportResult keepWrittenValues(DataSet& fresh, char delimiter, ReadAll&& readAll) {
    std::vector<Reread> variables = variablesToReread(fresh);
    if (variables.empty()) return {};
    WrittenValueReader reader(fresh, delimiter, std::move(variables));
    const ImportResult result = readAll(reader);
    if (result.status != ImportStatus::Completed) return result;
    if (reader.rowsRead() != fresh.g_lngNumCases) return fileChanged();
    reader.keepNeeded(fresh);
    return {};
}

}  // namespace velmora::importing
