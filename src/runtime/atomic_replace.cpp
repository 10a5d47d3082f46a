#include "runtime/atomic_replace.h"

#include <cerrno>
#include <cstring>

#include "runtime/temporary_files.h"

namespace velmora {

namespace {

std::string reasonOf(int error) {
    return std::strerror(error);
}

}  // namespace

AtomicReplace::~AtomicReplace() {
    discard();
}

void AtomicReplace::discard() {
    for (Output& output : m_outputs) {
        if (!output.tempPath.empty()) {
            // Removed before it leaves the signal table: a signal in between
            // only removes a name that is gone already.
            m_files.remove(output.tempPath);
            unregisterTemporaryFile(output.slot);
        }
        if (output.handle >= 0) m_files.close(output.handle);
    }
    m_outputs.clear();
}

int AtomicReplace::writeAll(int handle, std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t written = 0;
        if (const int error = m_files.write(handle, bytes, written)) return error;
        if (written == 0 || written > bytes.size()) return EIO;
        bytes.remove_prefix(written);
    }
    return 0;
}

std::optional<std::string> AtomicReplace::prepare(const std::string& target, std::string bytes) {
    Output output;
    output.target = target;
    if (const int error = resolveOutputTarget(target, output.where)) return reasonOf(error);
    // Room first: once a file exists, nothing may throw before it is listed.
    m_outputs.reserve(m_outputs.size() + 1);

    if (output.where.kind == OutputKind::InPlace) {
        // Opened now, so that a file that cannot be opened stops the run
        // before anything is written; written only by commit().
        if (const int error = m_files.openInPlace(output.where.path, output.where.append,
                                                  m_waitForReader, output.handle))
            return reasonOf(error);
        output.bytes = std::move(bytes);
        m_outputs.push_back(std::move(output));
        return std::nullopt;
    }

    // A rename would replace a file the user may not write; the shell's
    // redirection refuses it, and so does this.
    if (const int error = m_files.mayWrite(output.where.path)) return reasonOf(error);
    int handle = -1;
    {
        const TemporaryFileGuard guard;
        if (const int error = m_files.createTemporary(output.where.path, output.tempPath, handle))
            return reasonOf(error);
        output.slot = registerTemporaryFile(output.tempPath);
    }
    m_outputs.push_back(std::move(output));
    int error = writeAll(handle, bytes);
    const int closeError = m_files.syncAndClose(handle);
    if (error == 0) error = closeError;
    if (error != 0) {
        Output& failed = m_outputs.back();
        m_files.remove(failed.tempPath);
        unregisterTemporaryFile(failed.slot);
        m_outputs.pop_back();
        return reasonOf(error);
    }
    return std::nullopt;
}

std::optional<AtomicReplace::Failure> AtomicReplace::commit() {
    std::optional<Failure> failure;
    // Writes in place first: they are the ones that fail (a full disk behind
    // a redirection, a reader gone), and a rename would be past undoing.
    for (Output& output : m_outputs) {
        if (output.handle < 0) continue;
        int error = writeAll(output.handle, output.bytes);
        const int closeError = m_files.close(output.handle);
        output.handle = -1;
        if (error == 0) error = closeError;
        if (error != 0) {
            failure = Failure{output.target, reasonOf(error)};
            break;
        }
    }
    for (std::size_t i = 0; !failure && i < m_outputs.size(); ++i) {
        Output& output = m_outputs[i];
        if (output.tempPath.empty()) continue;
        if (const int error = m_files.rename(output.tempPath, output.where.path)) {
            failure = Failure{output.target, reasonOf(error)};
            break;
        }
        unregisterTemporaryFile(output.slot);
        output.tempPath.clear();
    }
    discard();
    return failure;
}

std::optional<std::string> replaceFile(OutputFileSystem& files, const std::string& target,
                                       std::string bytes, bool waitForReader) {
    AtomicReplace replace(files, waitForReader);
    if (auto error = replace.prepare(target, std::move(bytes))) return error;
    if (auto failure = replace.commit()) return failure->reason;
    return std::nullopt;
}

}  // namespace velmora
