// qzmsgrsend TARGET TEXT [FROM]: sends TEXT (8-bit text in the ANSI code page) to TARGET through
// the transport, FROM registered as the alias for the send, prints the result code and exits
// with it. For the scripts that test the transport against real receivers (the namespace test).
#include "qzplat.h"

#include <string>

namespace {

std::basic_string<WCHAR> Wide(const char *s)
{
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::basic_string<WCHAR> w(n > 0 ? (size_t)n : 1, 0);
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
    w.resize(w.size() - 1);
    return w;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: qzmsgrsend TARGET TEXT [FROM]\n");
        return 87;
    }
    std::basic_string<WCHAR> to = Wide(argv[1]), text = Wide(argv[2]), from = Wide(argc > 3 ? argv[3] : "");
    DWORD added = argc > 3 ? NetMessageNameAdd(nullptr, from.c_str()) : 1;
    DWORD rc = NetMessageBufferSend(nullptr, to.c_str(), argc > 3 ? from.c_str() : nullptr, (LPBYTE)text.data(),
                                    (DWORD)(text.size() * 2));
    if (added == 0)
        NetMessageNameDel(nullptr, from.c_str());
    std::printf("%u\n", (unsigned)rc);
    return (int)rc;
}
