#pragma once
// A proposed piece of one source, as silence detection, a cue sheet or a label
// file gives it. Times are milliseconds from the start of the source.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisklet::proposals {

struct Proposal {
    int64_t beginMs = 0;
    int64_t endMs = 0;
    std::string title;  // empty when the source of the proposal names none
    std::string artist; // a cue sheet's PERFORMER of the track; may be empty
    int number = 0;     // the piece's number, 1 for the first

    bool operator==(const Proposal&) const = default;
};

// Bad input: the message names the file, the line (when there is one) and the
// reason, e.g. "album.cue, line 7: INDEX 01 past the end of the source".
class ProposalError : public std::runtime_error {
public:
    explicit ProposalError(const std::string& message) : std::runtime_error(message) {}
};

// "file, line n: reason", or "file: reason" for line 0.
std::string lineMessage(const std::string& path, int line, const std::string& reason);

// Gives each proposal its number, 1 for the first.
void numberProposals(std::vector<Proposal>& proposals);

} // namespace brisklet::proposals
