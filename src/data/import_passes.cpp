#include "data/import_passes.h"

#include <cstddef>
#include <cstring>
#include <optional>

#include "data/data_start.h"
#include "data/field_store.h"
#include "data/field_tokenizer.h"
#include "data/general_import.h"
#include "data/written_value_reread.h"
#include "runtime/line_reader.h"
#include "runtime/text_file.h"

namespace velmora::importing {

namespace {

// Whether the plain import must leave a text with a header line to the
// general rules: its text cells stop the plain scan, and one name fewer than
// data fields marks a row-name column.
bool leaveToGeneral(const ImportResult& result, const DataSet& fresh, const DataStart& start) {
    return result.status == ImportStatus::InvalidEntry ||
           (result.status == ImportStatus::Completed &&
            static_cast<std::size_t>(fresh.g_lngNumVariables) == start.lineOne.names->size() + 1);
}

// The general rules serve every text that the plain field scan does not:
// the two delimiters of their own, quoted fields, and a row-name mark.
bool needsGeneral(char delimiter, const DataStart& start) {
    return delimiter == kWhitespaceDelimiter || delimiter == kSemicolonDelimiter ||
           start.lineOne.rowNamesMarked;
}

// A fault found by the plain scan of a text with a header: its line in the file.
ImportResult withFileLine(ImportResult result, bool header) {
    if (header && result.row > 0) result.line = result.row + 1;
    return result;
}

ImportResult importGeneralFile(const std::string& path, char delimiter, DataSet& fresh) {
    const Expected<std::string> bytes = readFileBytes(path);
    if (!bytes) return readFailure(bytes.failure().message);
    fresh = DataSet{};
    return importGeneral(*bytes, delimiter, fresh);
}

// What the counting reading of a file finds in its blocks.
struct FileCount {
    DataStart start;  // found in the first block
    std::size_t lines = 0;
    bool quoted = false;  // a double quote anywhere
};

ImportResult countFile(LineBlockInput& input, const std::string& path, char delimiter,
                       FileCount& count) {
    if (const Status opened = input.open(path); !opened)
        return readFailure(opened.failure().message);
    std::string_view block;
    for (bool first = true; input.nextBlock(block); first = false) {
        if (first) {
            count.start = findDataStart(block, delimiter);
            block.remove_prefix(count.start.markLength);
        }
        count.lines += countLines(block);
        count.quoted = count.quoted || std::memchr(block.data(), '"', block.size()) != nullptr;
    }
    if (input.failed()) return readFailure(input.error());
    input.close();
    return {};
}

// The blocks of a reading after the count, the first without what precedes
// the data lines. Each reading finds in its first block what precedes them;
// a start other than the count found means the file changed.
class DataBlocks {
public:
    DataBlocks(LineBlockInput& input, const DataStart& start, char delimiter, bool header)
        : m_input(input), m_start(start), m_delimiter(delimiter), m_header(header) {}

    // The next block of the reading under way; false at its end or on a change.
    bool next(std::string_view& block) {
        if (!m_input.nextBlock(block)) return false;
        if (m_firstBlock) {
            m_firstBlock = false;
            if (!(findDataStart(block, m_delimiter) == m_start)) {
                m_changed = true;
                return false;
            }
            block.remove_prefix(dataOffset(m_start, m_header));
        }
        return true;
    }
    // A new reading from the start of the file.
    void restart() { m_firstBlock = true; }
    bool changed() const { return m_changed; }

private:
    LineBlockInput& m_input;
    const DataStart& m_start;
    const char m_delimiter;
    const bool m_header;
    bool m_firstBlock = true;
    bool m_changed = false;
};

ImportResult storeBlocks(DataBlocks& blocks, FieldStore& store) {
    ImportResult result;
    std::string_view block;
    while (blocks.next(block)) {
        result = store.storeLines(block.data(), block.data() + block.size());
        if (result.status != ImportStatus::Completed) break;
    }
    return result;
}

}  // namespace

ImportResult importFromFile(const std::string& path, char delimiter, DataSet& fresh) {
    LineBlockInput input;
    FileCount count;
    if (ImportResult r = countFile(input, path, delimiter, count);
        r.status != ImportStatus::Completed)
        return r;
    const DataStart& start = count.start;
    if (count.quoted || needsGeneral(delimiter, start))
        return importGeneralFile(path, delimiter, fresh);
    const bool header = isHeader(start, count.lines);
    ImportResult result = allocateFor(header ? count.lines - 1 : count.lines, fresh);
    if (result.status != ImportStatus::Completed) return result;

    // Store the fields.
    DataBlocks blocks(input, start, delimiter, header);
    if (const Status opened = input.open(path); !opened)
        return readFailure(opened.failure().message);
    FieldStore store(fresh, delimiter);
    result = storeBlocks(blocks, store);
    if (header && result.status == ImportStatus::InvalidEntry)
        return importGeneralFile(path, delimiter, fresh);
    if (result.status != ImportStatus::Completed) return withFileLine(result, header);
    if (blocks.changed()) return fileChanged();
    if (input.failed()) return readFailure(input.error());
    if (store.rowsStored() != fresh.g_lngNumCases) {
        return fileChanged();
    }
    fresh.g_lngNumVariables = store.numVariables();
    if (header && leaveToGeneral(result, fresh, start))
        return importGeneralFile(path, delimiter, fresh);
    if (header) keepNames(fresh, *start.lineOne.names);  // a copy: the reread compares the start

    return keepWrittenValues(fresh, delimiter, [&](WrittenValueReader& reader) {
        if (const Status opened = input.open(path); !opened)
            return readFailure(opened.failure().message);
        blocks.restart();
        std::string_view block;
        while (blocks.next(block)) {
            const ImportResult r = reader.readLines(block.data(), block.data() + block.size());
            if (r.status != ImportStatus::Completed) return r;
        }
        if (blocks.changed()) return fileChanged();
        if (input.failed()) return readFailure(input.error());
        return ImportResult{};
    });
}

ImportResult importFromText(std::string_view bytes, char delimiter, DataSet& fresh) {
    const DataStart start = findDataStart(bytes, delimiter);
    if (needsGeneral(delimiter, start) || bytes.find('"') != std::string_view::npos)
        return importGeneral(bytes, delimiter, fresh);
    std::size_t lines = countLines(bytes.substr(start.markLength));
    const bool header = isHeader(start, lines);
    if (header) --lines;
    const std::string_view data = bytes.substr(dataOffset(start, header));
    // The line count sizes the matrix before any value is stored.
    ImportResult result = allocateFor(lines, fresh);
    if (result.status != ImportStatus::Completed) return result;
    FieldStore store(fresh, delimiter);
    result = store.storeLines(data.data(), data.data() + data.size());
    if (result.status == ImportStatus::Completed) fresh.g_lngNumVariables = store.numVariables();
    if (header && leaveToGeneral(result, fresh, start)) {
        fresh = DataSet{};
        return importGeneral(bytes, delimiter, fresh);
    }
    if (result.status != ImportStatus::Completed) return withFileLine(result, header);
    if (header) keepNames(fresh, *start.lineOne.names);
    return keepWrittenValues(fresh, delimiter, [&](WrittenValueReader& reader) {
        return reader.readLines(data.data(), data.data() + data.size());
    });
}

}  // namespace velmora::importing
