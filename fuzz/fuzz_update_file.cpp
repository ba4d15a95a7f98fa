// Bytes in, as the image of an update file; out, the rows the import window would list. Besides
// what the sanitizers catch, it checks what the window relies on in every result.

#include "core/CaseFold.h"
#include "core/Text.h"
#include "core/UpdateFile.h"

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
    const Result<std::vector<UpdateFile::Row>> rows = UpdateFile::readImage(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), limits);
    require(rows || !rows.errorMessage().isEmpty(), "a failure without a reason");
    for (std::size_t i = 0; rows && i < rows->size(); ++i) {
        const UpdateFile::Row& row = (*rows)[i];
        require(row.keyword == Text::trimSpaces(row.keyword), "an untrimmed keyword");
        require(!row.importable ||
                    (!row.keyword.isEmpty() && !Text::trimSpaces(row.description).isEmpty()),
                "an empty keyword or meaning offered for import");
        require(i == 0 || CaseFold::compare((*rows)[i - 1].keyword, row.keyword) <= 0,
                "rows out of keyword order");
    }
    return 0;
}
