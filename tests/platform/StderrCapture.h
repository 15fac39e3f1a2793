#pragma once

#include <QString>
#include <QtGlobal>

namespace testsupport {

// Collects whatever is written to file descriptor 2 and every Qt message while
// it lives, so a test can assert that a code path stays silent.
class StderrCapture final {
public:
    StderrCapture();
    ~StderrCapture();

    // Stops capturing and returns the raw stderr bytes followed by the Qt messages.
    QString finish();

private:
    int m_savedFd = -1;
    int m_fileFd = -1;
    QtMessageHandler m_previousHandler = nullptr;
    bool m_finished = false;
};

} // namespace testsupport
