#include "runtime/atomic_replace.h"

#include <cerrno>

#include "runtime/temporary_files.h"

namespace velmora {

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

Status AtomicReplace::prepare(const std::string& target, std::string bytes) {
    Output output;
    output.target = target;
    Expected<OutputTarget> where = resolveOutputTarget(target);
    if (!where) return where.failure();
    output.where = std::move(where).value();
    // Room first: once a file exists, nothing may throw before it is listed.
    m_outputs.reserve(m_outputs.size() + 1);

    if (output.where.kind == OutputKind::InPlace) {
        // Opened now, so that a file that cannot be opened stops the run
        // before anything is written; written only by commit().
        if (const int error = m_files.openInPlace(output.where.path, output.where.append,
                                                  m_waitForReader, output.handle))
            return systemFailure(error, target);
        output.bytes = std::move(bytes);
        m_outputs.push_back(std::move(output));
        return {};
    }

    // A rename would replace a file the user may not write; the shell's
    // redirection refuses it, and so does this.
    if (const int error = m_files.mayWrite(output.where.path)) return systemFailure(error, target);
    int handle = -1;
    {
        const TemporaryFileGuard guard;
        if (const int error = m_files.createTemporary(output.where.path, output.tempPath, handle))
            return systemFailure(error, target);
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
        return systemFailure(error, target);
    }
    return {};
}

Status AtomicReplace::commit() {
    Status status;
    // Writes in place first: they are the ones that fail (a full disk behind
    // a redirection, a reader gone), and a rename would be past undoing.
    for (Output& output : m_outputs) {
        if (output.handle < 0) continue;
        int error = writeAll(output.handle, output.bytes);
        const int closeError = m_files.close(output.handle);
        output.handle = -1;
        if (error == 0) error = closeError;
        if (error != 0) {
            status = systemFailure(error, output.target);
            break;
        }
    }
    for (std::size_t i = 0; status && i < m_outputs.size(); ++i) {
        Output& output = m_outputs[i];
        if (output.tempPath.empty()) continue;
        if (const int error = m_files.rename(output.tempPath, output.where.path)) {
            status = systemFailure(error, output.target);
            break;
        }
        unregisterTemporaryFile(output.slot);
        output.tempPath.clear();
    }
    discard();
    return status;
}

Status replaceFile(OutputFileSystem& files, const std::string& target, std::string bytes,
                   bool waitForReader) {
    AtomicReplace replace(files, waitForReader);
    if (Status prepared = replace.prepare(target, std::move(bytes)); !prepared) return prepared;
    return replace.commit();
}

}  // namespace velmora
