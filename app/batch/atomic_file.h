#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::batch {

// Replaces a file only once its new content is complete: the bytes go to a
// temporary file in the same directory, which commit() renames over the
// target. Until then the target is untouched; a writer destroyed without
// commit() removes its temporary file.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    // Writes `bytes` to the temporary file; an error text (e.g. "Permission
    // denied") when that fails.
    std::optional<std::string> prepare(const std::string& target, std::string_view bytes);
    // Renames the prepared file over the target; an error text on failure.
    std::optional<std::string> commit();

private:
    std::string m_target;
    std::string m_temp;
};

}  // namespace velmora::batch
