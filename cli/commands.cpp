#include "cli/commands.h"

#include <cstdio>

namespace brisklet::cli {

namespace {

const char* splitUsage =
    "split [--mode custom|time|count|unification] [--seconds S] [--count M] "
    "[--segment BEGIN-END]... [--format mp3|wav|wma|ogg|flac|opus|copy] [--verify] [--fade-in S] "
    "[--fade-out S] [--jobs N] "
    "[--settings FILE] [--quiet] [--silence [DB[:SECONDS[:MINPIECE]]] [--trim] | --cue FILE | "
    "--labels FILE] [--export-labels FILE] [--name TEMPLATE] [--track-numbers] [--dry-run] "
    "--out DIR FILE|FOLDER...";
const char* joinUsage =
    "join [--mode custom|time|count|unification] [--segment BEGIN-END]... "
    "[--format mp3|wav|wma|ogg|flac|opus|copy] [--verify] [--fade-in S] [--fade-out S] [--settings "
    "FILE] [--quiet] "
    "[--silence [DB[:SECONDS[:MINPIECE]]] [--trim] | --cue FILE | --labels FILE] "
    "[--name TEMPLATE] [--track-numbers] [--dry-run] [--write-cue] "
    "[--out DIR] --output NAME FILE|FOLDER...";

const char* jobOptionsHelp =
    "  --format F        mp3, wav, wma, ogg, flac or opus (default mp3); encoder settings\n"
    "                    come from the settings file; copy keeps each source's\n"
    "                    own format and coded data where it can (lossless)\n"
    "  --verify          read every output back and check its length (and, for\n"
    "                    copied pieces, its samples); a mismatch fails the job\n"
    "  --fade-in S       fade each piece in over S (SS.mmm or hh:mm:ss.mmm)\n"
    "  --fade-out S      fade each piece out over S\n"
    "  --settings FILE   the settings file (default: the program's own)\n"
    "  --quiet           no progress on stderr\n"
    "  --silence [DB[:SECONDS[:MINPIECE]]]  pieces between pauses (default -40 dB,\n"
    "                    0.5 s, pieces of at least 5 s); --trim trims them to the sound\n"
    "  --cue FILE        the cue sheet's tracks, with their titles and performers\n"
    "  --labels FILE     an Audacity label file's labels; --export-labels FILE\n"
    "                    writes the segments as one\n"
    "  --name TEMPLATE   output names from {name} {n} {n:02} {count} {title}\n"
    "                    {artist} {album} {start} {free} (default {name}_{free})\n"
    "  --track-numbers   write each piece's number and count into its tag\n"
    "  --dry-run         print each piece's start, end, length and name only\n"
    "A FOLDER adds its audio files (one level), as Add Folder does. A source\n"
    "that cannot be read is named and skipped; one damaged on the way gives\n"
    "what could be read, and stderr says how much was lost. Either makes the\n"
    "exit status 1.\n";

const char* splitHelp =
    "Cuts pieces out of every FILE into DIR, one output path a line on stdout.\n"
    "  --mode M          custom (default): the --segment pieces of every file;\n"
    "                    time: pieces of --seconds; count: --count equal pieces;\n"
    "                    unification: the --segment pieces, shared\n"
    "  --seconds S       piece length for --mode time (default 60)\n"
    "  --count M         number of pieces for --mode count (default 6)\n"
    "  --segment B-E     a piece from B to E (SS.mmm or hh:mm:ss.mmm); repeatable\n"
    "  --out DIR         the output folder (made when missing)\n"
    "  --jobs N          pieces encoded at the same time (default: the settings\n"
    "                    file's, else one per processor core); a copy takes one\n";

const char* joinHelp =
    "Joins the sources into NAME plus the format's extension; never replaces a\n"
    "file. Custom and unification join the --segment pieces, time and count\n"
    "join every source whole.\n"
    "  --mode M          custom (default), time, count or unification\n"
    "  --segment B-E     a piece from B to E (SS.mmm or hh:mm:ss.mmm); repeatable\n"
    "  --output NAME     the output, without its extension\n"
    "  --out DIR         the folder of a relative NAME (default: the current one)\n"
    "  --write-cue       write a cue sheet beside the output, a track a piece\n";

} // namespace

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"info", "info [--json] FILE|FOLDER...",
         "Prints each file's length and format: PATH<TAB>frames=N<TAB>ms=N<TAB>rate=N\n"
         "<TAB>channels=N, one line a file.\n"
         "  --json            one JSON array of objects instead\n"
         "A FOLDER lists its audio files (one level).\n",
         runInfo},
        {"convert",
         "convert [--format mp3|wav|wma|ogg|flac|opus] [--settings FILE] [--overwrite] IN OUT",
         "Decodes IN and writes OUT.\n"
         "  --format F        mp3, wav, wma, ogg, flac or opus (default: by\n"
         "                    OUT's extension)\n"
         "  --settings FILE   take the encoder settings from this settings file\n"
         "  --overwrite       replace OUT when it exists\n",
         runConvert},
        {"split", splitUsage, splitHelp, runSplit},
        {"join", joinUsage, joinHelp, runJoin},
        {"tags", "tags [--json] FILE",
         "Prints the tag record that adding FILE gives it: Title=, Artist=, Album=,\n"
         "Year=, Genre=, Comment=, Track=, Picture= (MIME type and size), one line\n"
         "each (\\, line feeds and carriage returns\n"
         "written \\\\, \\n, \\r).\n"
         "  --json            one JSON object instead\n",
         runTags},
    };
    return table;
}

const char* jobOptionsDescription()
{
    return jobOptionsHelp;
}

int refusalSummary(int refused, int total, int status)
{
    if (refused == 0)
        return status;
    std::fprintf(stderr, "brisklet-cli: %d of %d sources %s refused\n", refused, total,
                 refused == 1 ? "was" : "were");
    return status ? status : 1;
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "brisklet-cli: %s\n", message.c_str());
    return 1;
}

int usageError(const std::string& message)
{
    fail(message);
    std::fputs("Try 'brisklet-cli --help' for more information.\n", stderr);
    return kUsageError;
}

} // namespace brisklet::cli
