// Bytes in, as the image of an update file; out, the rows the import window would list. Besides
// what the sanitizers catch, it checks what the window relies on in every result.

#include "data/CaseFold.h"
#include "data/UpdateFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Smaller limits than the program's keep each run quick; the code paths are the same.
    UpdateFile::Limits limits;
    limits.maxBytes = 16 << 20;
    limits.maxRows = 100000;
    limits.maxValueBytes = 1 << 20;
    limits.maxMilliseconds = 2000;
    const UpdateFile::Contents contents = UpdateFile::ReadImage(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), limits);
    require(contents.ok() || contents.rows.empty(), "rows beside an error");
    for (std::size_t i = 0; i < contents.rows.size(); ++i) {
        const UpdateFile::Row& row = contents.rows[i];
        require(row.keyword == modDB::TrimSpaces(row.keyword), "an untrimmed keyword");
        require(!row.importable ||
                    (!row.keyword.isEmpty() && !modDB::TrimSpaces(row.description).isEmpty()),
                "an empty keyword or meaning offered for import");
        require(i == 0 || modDB::CompareNoCase(contents.rows[i - 1].keyword, row.keyword) <= 0,
                "rows out of keyword order");
    }
    return 0;
}
