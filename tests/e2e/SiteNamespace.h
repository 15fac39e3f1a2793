#pragma once

#include <QString>
#include <QStringList>

namespace e2e {

// Moves this process, and whatever it starts from now on, into a user, a network and a
// mount namespace of its own: only loopback, `hostNames` resolving to 127.0.0.1, and the
// authority in `caFile` added to the system's trusted certificate store. Root and nobody (65534) keep
// their ids there, so a test may run a program as an ordinary user. The real /etc is not
// touched and need not have a hosts file: in the namespace /etc is a copy whose entries are the
// real ones but for its own hosts file, staged in `workDir`. Done at most once per process;
// later calls answer as the first did.
struct SiteNamespace {
    enum class Outcome {
        Entered,
        // Not possible here, and nothing was changed: without root, or where no user namespace
        // may be made (a chroot).
        Unavailable,
        Failed,
    };
    Outcome Result = Outcome::Failed;
    // Why it is unavailable or failed.
    QString Reason;
};
SiteNamespace EnterSiteNamespace(const QStringList& hostNames, const QString& caFile, const QString& workDir);

} // namespace e2e
