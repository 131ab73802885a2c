#pragma once
// Small tmpfs mounts for disk faults: a full or read-only folder. Root writes
// through permission bits, so only a real file system can refuse it.

#include <cstddef>
#include <string>
#include <vector>

namespace brisklet::test {

// A tmpfs of `bytes` mounted on a fresh folder, unmounted on destruction.
// mounted() is false (with the reason) where mounting is not allowed.
class SmallMount {
public:
    explicit SmallMount(size_t bytes);
    ~SmallMount();
    SmallMount(const SmallMount&) = delete;
    SmallMount& operator=(const SmallMount&) = delete;
    bool mounted() const { return m_mounted; }
    const std::string& reason() const { return m_reason; }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Remounts read-only; false when that fails.
    bool makeReadOnly();
    // Writes a filler file until the file system is full.
    void fill();

private:
    std::string m_path;
    std::string m_reason;
    bool m_mounted = false;
};

// Names in a folder, sorted.
std::vector<std::string> folderNames(const std::string& folder);

} // namespace brisklet::test
