// Rewrites one INI file for ever, alternating between two contents, until it is
// killed. The crash-safety test kills it at random moments and reads what is left.
//
//   ini_rewriter TARGET FIRST SECOND
#include "store/IniFile.h"

#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: ini_rewriter TARGET FIRST SECOND\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    const QByteArray contents[] = {store::IniFile(QString::fromLocal8Bit(argv[2])).ToBytes(),
                                   store::IniFile(QString::fromLocal8Bit(argv[3])).ToBytes()};
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (unsigned long round = 0;; ++round) {
        // SECOND first: the file starts as FIRST, so the first finished save already shows.
        store::IniFile ini = store::IniFile::FromBytes(contents[(round + 1) % 2], target);
        if (!ini.Save()) {
            std::fprintf(stderr, "ini_rewriter: cannot save %s\n", argv[1]);
            return 1;
        }
    }
}
