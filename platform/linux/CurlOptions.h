#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

namespace platform {

// What every libcurl transfer of the program is given: the time-outs, and two
// test hooks that the program itself never sets.
struct CurlOptions {
    std::chrono::milliseconds ConnectTimeout{15000};
    std::chrono::milliseconds TransferTimeout{60000};
    // How long a client keeps its connections for reuse after its last transfer: each holds
    // its TLS state, the whole certificate store among it. The transfers of one check follow
    // each other closely; checks are 40 s apart.
    std::chrono::milliseconds KeepIdle{5000};

    // Set by tests only. The CA file is trusted in addition to the system store
    // (/etc/ssl/certs stays in use as the CA directory); resolve entries have libcurl's
    // "host:port:address" form and pin a test host to 127.0.0.1 without asking DNS.
    QString ExtraCaFile;
    QStringList Resolve;
};

} // namespace platform
