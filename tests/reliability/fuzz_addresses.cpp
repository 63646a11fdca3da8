// libFuzzer target: any page name, language and section number through the address rules. A crash,
// or an address that leaves its language's directory, stops the run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "AddressCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const Language language = data[0] & 1 ? Language::Kazakh : Language::Russian;
    const int section = int(std::int8_t(data[1]));
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    for (const QString root : {QStringLiteral("/srv/Мой курс"), QStringLiteral("/")}) {
        const QString problem = checkAddress(root, language, name, section);
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "%s\n", problem.toUtf8().constData());
            std::abort();
        }
    }
    return 0;
}
