#pragma once
// Label files as Audacity writes them: one label a line, "start<TAB>end<TAB>text"
// with times in seconds ("12.500000").

#include "proposals/proposal.h"

#include <string>
#include <vector>

namespace brisklet::proposals {

struct Label {
    int64_t beginMs = 0;
    int64_t endMs = 0;
    std::string text;
    int line = 0;
};

// Reads the labels in file order, skipping empty lines and the frequency lines
// ("\<TAB>low<TAB>high") of spectral labels. Throws ProposalError naming the
// file and the line for a malformed or negative time, an end before its start,
// or invalid UTF-8.
std::vector<Label> readLabelFile(const std::string& path);

// The pieces of a source of `durationMs`: a label with a length is a piece of
// its own; when every label is a point (end = start), the points are cut points
// and each piece runs to the next point, the last to the end of the source.
// Titles are the labels' texts. Throws ProposalError (file, line) for a label
// that starts past the end of the source; an end less than a second past the
// end is taken as the end.
std::vector<Proposal> labelPieces(const std::vector<Label>& labels, const std::string& path,
                                  int64_t durationMs);

// Writes one label per piece, titles as their texts, replacing `path`
// atomically. Throws ProposalError naming the file.
void writeLabelFile(const std::string& path, const std::vector<Proposal>& pieces);

} // namespace brisklet::proposals
