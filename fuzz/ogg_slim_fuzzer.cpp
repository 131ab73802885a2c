// The header pages read in place of a large comment header: whatever the
// file, the stream read through them is the file from where the headers end,
// and every page made for them is whole and numbered on from the first.
#include "audio/audioerror.h"
#include "audio/ogg_slim.h"
#include "fuzzsupport.h"

#include <ogg/ogg.h>

using namespace brisklet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("input.ogg", bytes);
    audio::OggSlimFile slim(path, 0); // every comment header is left out
    std::string read;
    char buffer[4096];
    for (size_t got; (got = slim.read(buffer, sizeof buffer)) > 0;)
        read.append(buffer, got);
    if (!slim.slimmed()) {
        fuzz::require(read == bytes, "a file not slimmed reads as it is");
        return 0;
    }
    // The made pages come after the first page and before the file's own rest.
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* in = ogg_sync_buffer(&sync, static_cast<long>(read.size()));
    std::copy(read.begin(), read.end(), in);
    ogg_sync_wrote(&sync, static_cast<long>(read.size()));
    ogg_page page;
    int pages = 0;
    long expected = -1;
    for (int result; (result = ogg_sync_pageout(&sync, &page)) != 0 && pages < 2;) {
        fuzz::require(result == 1, "the header pages are whole");
        if (expected >= 0)
            fuzz::require(ogg_page_pageno(&page) == expected, "the pages are numbered on");
        expected = ogg_page_pageno(&page) + 1;
        ++pages;
    }
    ogg_sync_clear(&sync);
    // Reading again from the middle gives the same bytes.
    slim.seek(static_cast<int64_t>(read.size() / 2), SEEK_SET);
    std::string again;
    for (size_t got; (got = slim.read(buffer, sizeof buffer)) > 0;)
        again.append(buffer, got);
    fuzz::require(again == read.substr(read.size() / 2), "a seek reads the same bytes");
    return 0;
}
