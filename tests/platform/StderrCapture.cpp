#include "StderrCapture.h"

#include <QMutex>
#include <QStringList>

#include <cstdio>
#include <stdlib.h>
#include <unistd.h>

namespace testsupport {

namespace {

QMutex messagesLock;
QStringList messages;

void recordMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    const QMutexLocker locker(&messagesLock);
    messages << text;
}

} // namespace

StderrCapture::StderrCapture()
{
    char name[] = "/tmp/stderr-capture-XXXXXX";
    m_fileFd = mkstemp(name);
    unlink(name);
    std::fflush(stderr);
    m_savedFd = dup(STDERR_FILENO);
    dup2(m_fileFd, STDERR_FILENO);
    {
        const QMutexLocker locker(&messagesLock);
        messages.clear();
    }
    m_previousHandler = qInstallMessageHandler(recordMessage);
}

StderrCapture::~StderrCapture()
{
    finish();
}

QString StderrCapture::finish()
{
    if (m_finished)
        return {};
    m_finished = true;
    qInstallMessageHandler(m_previousHandler);
    std::fflush(stderr);
    dup2(m_savedFd, STDERR_FILENO);
    close(m_savedFd);

    QByteArray written;
    char buffer[4096];
    lseek(m_fileFd, 0, SEEK_SET);
    for (ssize_t n; (n = read(m_fileFd, buffer, sizeof buffer)) > 0;)
        written.append(buffer, n);
    close(m_fileFd);

    const QMutexLocker locker(&messagesLock);
    QString result = QString::fromLocal8Bit(written);
    for (const QString& m : messages)
        result += m + QLatin1Char('\n');
    return result;
}

} // namespace testsupport
