#include "data/delimited_import.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "data/file_kind.h"
#include "data/import_passes.h"
#include "data/statistics_file_import.h"
#include "runtime/expected.h"
#include "runtime/text_file.h"

namespace velmora {

namespace {

using importing::failure;
using importing::notText;
using importing::readFailure;

// The new data set is always built aside and replaces `target` only once it is
// complete: an import that does not complete leaves the earlier data set as it
// was, counts and cells, still loaded and usable.
template <class Build>
ImportResult buildAndInstall(DataSet& target, Build&& build) {
    try {
        DataSet fresh;
        ImportResult result = build(fresh);
        if (result.status == ImportStatus::Completed) target = std::move(fresh);
        return result;
    } catch (const std::bad_alloc&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    } catch (const std::length_error&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    }
}

// The first bytes of a file, to tell its kind, or why it cannot be read.
Expected<std::string> fileHead(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return systemFailure(errno, path);
    std::string head(kFileKindHeadBytes, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file));
    const int readError = std::ferror(file) != 0 ? errno : 0;
    std::fclose(file);
    if (readError != 0) return systemFailure(readError, path);
    return head;
}

// What is not a regular file (a pipe, a FIFO, a terminal) gives its bytes
// once: it is read into memory whole, instead of once per reading.
ImportResult importStream(const std::string& path, char delimiter, DataSet& target) {
    Expected<std::string> bytes = std::string();
    try {
        bytes = readFileBytes(path);
    } catch (const std::bad_alloc&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    }
    if (!bytes) return readFailure(bytes.failure().message);
    return importDelimitedText(*bytes, delimiter, target);
}

}  // namespace

ImportResult importDelimitedText(std::string_view bytes, char delimiter, DataSet& target) {
    const FileKind kind = fileKindOf(bytes.substr(0, kFileKindHeadBytes));
    if (isStatisticsFile(kind))
        return notText((kind == FileKind::StataData ? "a " : "an ") + fileKindName(kind) +
                       ", which is read from its file by name, not from a stream");
    if (kind != FileKind::Text) return notText(notTextReason(kind));
    return buildAndInstall(
        target, [&](DataSet& fresh) { return importing::importFromText(bytes, delimiter, fresh); });
}

ImportResult importDelimitedFile(const std::string& path, char delimiter, DataSet& target) {
    if (path.empty()) return failure(ImportStatus::NoFileSelected, 0, 0);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return importStream(path, delimiter, target);
    const Expected<std::string> head = fileHead(path);
    if (!head) return readFailure(head.failure().message);
    const FileKind kind = fileKindOf(*head);
    if (isStatisticsFile(kind)) {
        return buildAndInstall(
            target, [&](DataSet& fresh) { return importStatisticsFile(path, kind, fresh); });
    }
    if (kind != FileKind::Text) return notText(notTextReason(kind));
    return buildAndInstall(
        target, [&](DataSet& fresh) { return importing::importFromFile(path, delimiter, fresh); });
}

}  // namespace velmora
