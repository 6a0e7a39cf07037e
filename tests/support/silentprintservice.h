#pragma once

#include "platform/cupslibrary.h"

#include <QByteArray>
#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kytest {

// A print service that accepts connections and never answers: a listening socket on the loopback
// whose connections the kernel completes and nobody reads. While one lives, CUPS_SERVER points the
// print client of this process at it; closing it resets the waiting connections and restores the
// variable. Make and close it on the test's thread: the print client keeps the service it found
// per thread, and is told to read the variable again on this one.
class SilentPrintService
{
public:
    SilentPrintService()
    {
        mSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (mSocket < 0 || ::bind(mSocket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(mSocket, 64) != 0
            || ::getsockname(mSocket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        mPort = ntohs(address.sin_port);
        mPreviousServer = qgetenv("CUPS_SERVER");
        mHadServer = qEnvironmentVariableIsSet("CUPS_SERVER");
        qputenv("CUPS_SERVER", "127.0.0.1:" + QByteArray::number(mPort));
        resetClient();
    }
    ~SilentPrintService() { close(); }
    SilentPrintService(const SilentPrintService &) = delete;
    SilentPrintService &operator=(const SilentPrintService &) = delete;

    bool listening() const { return mPort != 0; }

    void close()
    {
        if (mSocket < 0)
            return;
        ::close(mSocket);
        mSocket = -1;
        if (mPort == 0)
            return;
        if (mHadServer)
            qputenv("CUPS_SERVER", mPreviousServer);
        else
            qunsetenv("CUPS_SERVER");
        resetClient();
    }

private:
    // The program loads the print client when it first asks; so does this.
    static void resetClient()
    {
        if (platform::cupslibrary::available())
            platform::cupslibrary::cupsSetServer(nullptr);
    }

    int mSocket = -1;
    quint16 mPort = 0;
    QByteArray mPreviousServer;
    bool mHadServer = false;
};

} // namespace kytest
