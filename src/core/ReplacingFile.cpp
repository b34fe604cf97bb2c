// Atomic replacement of a file: write a temporary beside the target, then rename it over.
#include "core/ReplacingFile.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace vorn {

namespace {

// Writing through a symbolic link replaces the file it points to, not the link.
std::string ResolvedTarget(const std::string& name) {
    struct stat st {};
    if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return name;
    char* real = realpath(name.c_str(), nullptr);
    if (!real)
        return name; // a dangling link: replace the link itself
    std::string resolved = real;
    std::free(real);
    return resolved;
}

// The replacement keeps the old file's permissions; a new file gets those that opening it with
// "w" would have given (0666 less the umask), not mkstemp's 0600.
mode_t TargetMode(const std::string& target) {
    struct stat st {};
    if (stat(target.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool ReplacingFile::Open(const std::string& target) {
    m_target = ResolvedTarget(target);
    std::string pattern = m_target + ".XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0)
        return false;
    m_temp = pattern;
    m_file = fdopen(fd, "w");
    if (!m_file || fchmod(fd, TargetMode(m_target)) != 0) {
        if (!m_file)
            close(fd);
        Discard();
        return false;
    }
    return true;
}

bool ReplacingFile::Commit() {
    bool ok = std::fflush(m_file) == 0 && fsync(fileno(m_file)) == 0;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    ok = ok && std::rename(m_temp.c_str(), m_target.c_str()) == 0;
    if (ok)
        m_temp.clear();
    Discard();
    return ok;
}

void ReplacingFile::Discard() {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    if (!m_temp.empty())
        unlink(m_temp.c_str());
    m_temp.clear();
}

} // namespace vorn
