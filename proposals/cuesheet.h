#pragma once
// Cue sheets: the tracks of one audio file with their titles and performers,
// read through libcue, and the sheet a join writes beside its output.

#include "proposals/proposal.h"

#include <string>
#include <vector>

namespace brisklet::proposals {

struct CueTrack {
    int number = 0;        // TRACK nn
    std::string title;     // TITLE, or ""
    std::string performer; // PERFORMER, or the sheet's own
    std::string file;      // the FILE it lies in
    int64_t startMs = 0;   // INDEX 01
    int line = 0;          // line of its TRACK command, for messages
    int fileLine = 0;      // line of its FILE command
};

struct CueSheet {
    std::string path;
    std::string title;     // the album: TITLE before the first track
    std::string performer; // PERFORMER before the first track
    std::vector<CueTrack> tracks;
};

// Reads a cue sheet. Throws ProposalError naming the file and the line for a
// sheet that is not UTF-8, holds an unknown command or a malformed time, a
// track without INDEX 01, or no track at all.
CueSheet readCueSheet(const std::string& path);

// The pieces of the source at `sourcePath` (of `durationMs`): one per track,
// from its INDEX 01 to the next track's (a pregap stays with the piece before
// it, so nothing is lost), the last to the end of the source; titles,
// performers and numbers from the tracks. Throws ProposalError when a FILE
// names another file than the source (a different extension is accepted, as
// after a conversion) or a track starts past the end of the source.
std::vector<Proposal> cuePieces(const CueSheet& sheet, const std::string& sourcePath,
                                int64_t durationMs);

// The cue sheet beside a source: the same name with ".cue" (either case), or
// "" when there is none.
std::string cueSheetBeside(const std::string& sourcePath);

// Writes a sheet for the audio file `audioPath` with one track per piece
// (title and performer when set), replacing `cuePath` atomically. Times are
// rounded to the sheet's 1/75 s. Throws ProposalError naming the file.
void writeCueSheet(const std::string& cuePath, const std::string& audioPath,
                   const std::string& albumTitle, const std::vector<Proposal>& pieces);

} // namespace brisklet::proposals
