#pragma once
// A plain TCP listener on 127.0.0.1 and a free port, standing in for a
// server in tests: it accepts every connection, keeps what arrives first and
// then closes the connection (so that a client waiting for an answer gives
// up). poll() does the work without blocking; call it while waiting.
#include <QByteArray>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

class TcpLauscher {
public:
    TcpLauscher() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(m_fd, 16) != 0)
            return;
        socklen_t l = sizeof a;
        if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &l) == 0) m_port = ntohs(a.sin_port);
    }
    ~TcpLauscher() {
        for (int c : m_open) ::close(c);
        if (m_fd >= 0) ::close(m_fd);
    }
    TcpLauscher(const TcpLauscher&) = delete;
    TcpLauscher& operator=(const TcpLauscher&) = delete;

    // 0 when no port could be had.
    int port() const { return m_port; }
    int connections() const { return m_connections; }
    const QByteArray& received() const { return m_received; }

    void poll() {
        for (;;) {
            const int c = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (c < 0) break;
            ++m_connections;
            m_open.push_back(c);
        }
        for (auto it = m_open.begin(); it != m_open.end();) {
            char buf[4096];
            const ssize_t n = ::recv(*it, buf, sizeof buf, 0);
            if (n > 0) m_received.append(buf, int(n));
            if (n > 0 || n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                ::close(*it);
                it = m_open.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    int m_fd = -1;
    int m_port = 0;
    int m_connections = 0;
    std::vector<int> m_open;
    QByteArray m_received;
};
