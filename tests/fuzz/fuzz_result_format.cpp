// Values as a database may hand them to the result formatter: a number fitted to its
// column never outgrows it and a number that fits is left alone; the bytes of the fetch
// buffer are read as text without reading past the column.
#include "core/engine_state.h"
#include "database/execution.h"
#include "database/number_fit.h"
#include "fuzz_input.h"

#include <QString>
#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const int width = data[0] % 40;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1),
                                           static_cast<qsizetype>(size - 1));
    const QString fitted = numberInWidth(text, width);
    check(fitted.size() <= std::max(width, 0) || fitted.isEmpty());
    bool number = false;
    text.toDouble(&number);
    if (number && !fitted.isEmpty() && text == text.trimmed() && text.size() <= width)
        check(fitted == text);

    // The column ends where the input does: what lies beyond it is never read.
    const int length = static_cast<int>(std::min<size_t>(size - 1, kFetchBufferSize - 1));
    std::fill(engine.fetchBuffer.begin(), engine.fetchBuffer.end(), 'x');
    std::memcpy(&engine.fetchBuffer[1], data + 1, static_cast<size_t>(length));
    const QString shown = bytesToText(engine, 1, length);
    check(shown.size() <= length * 2);
    check(!shown.contains(u'x') ||
          QByteArray(reinterpret_cast<const char *>(data + 1), length).contains('x'));
    return 0;
}
