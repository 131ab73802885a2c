#pragma once
// An output name claimed on disk the moment it is chosen: an empty file is
// created there exclusively, and the output written beside it is renamed over
// it. Two programs writing into one folder can then never both take a name
// that was free when they looked.

#include <string>
#include <system_error>

namespace brisklet::engine {

class NameReservation {
public:
    NameReservation() = default;
    // Creates the empty file; `error` is EEXIST when anything stands at the
    // path (a dangling link too), or the reason it could not be created.
    NameReservation(std::string path, std::error_code& error);
    // Removes the empty file when it is still the one created here, so a name
    // claimed for an output that was never completed is given back; an output
    // renamed over it stays.
    ~NameReservation();
    NameReservation(NameReservation&& other) noexcept;
    NameReservation& operator=(NameReservation&& other) noexcept;
    NameReservation(const NameReservation&) = delete;
    NameReservation& operator=(const NameReservation&) = delete;

    bool held() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }

private:
    void release() noexcept;

    std::string m_path; // empty: nothing held
    unsigned long long m_device = 0;
    unsigned long long m_inode = 0;
};

} // namespace brisklet::engine
