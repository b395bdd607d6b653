#ifndef KEL_TESTS_SILENT_PROXY_H
#define KEL_TESTS_SILENT_PROXY_H

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kel_test {

/**
 * A loopback TCP proxy that can go silent: it accepts every connection and, while it forwards, passes
 * bytes both ways to a server; once silent (from the start, or after stall()) it keeps every connection
 * open but passes nothing more, as a hung server or a stalled network does. After iReleaseSeconds of
 * silence it closes everything, so that a client without timeouts still ends; released() then tells.
 */
class silent_proxy
{
public:
   /** Forwards to 127.0.0.1:iTargetPort until stall(), or until the client sends bytes holding sStallOn (a query the
       server then never answers); with no target it is silent from the start. */
   explicit silent_proxy(int iTargetPort = 0, int iReleaseSeconds = 60, std::string sStallOn = std::string())
      : m_iTargetPort(iTargetPort), m_iReleaseSeconds(iReleaseSeconds), m_sStallOn(std::move(sStallOn)), m_bSilent(iTargetPort == 0)
   {
      sockaddr_in address = loopback(0);
      socklen_t size = sizeof(address);
      if ((::bind(m_iListen, reinterpret_cast<sockaddr*>(&address), size) != 0) || (::listen(m_iListen, 16) != 0)
          || (::getsockname(m_iListen, reinterpret_cast<sockaddr*>(&address), &size) != 0)) { return; }
      m_iPort = ntohs(address.sin_port);
      m_thread = std::thread([this] { run(); });
   }
   ~silent_proxy()
   {
      m_bStop = true;
      if (m_thread.joinable()) { m_thread.join(); }
      for (size_t i = 0; i < m_lstFds.size(); i += 2) { closeLink(i); }
      ::close(m_iListen);
   }
   silent_proxy(const silent_proxy&) = delete;
   silent_proxy& operator=(const silent_proxy&) = delete;

   int port() const { return m_iPort; }
   /** From now on nothing passes in either direction. */
   void stall() { m_bSilent = true; }
   /** True when the proxy had to close connections itself: the client never gave up. */
   bool released() const { return m_bReleased; }

private:
   static sockaddr_in loopback(int iPort) { return sockaddr_in { AF_INET, htons(static_cast<uint16_t>(iPort)), { htonl(INADDR_LOOPBACK) }, {} }; }

   // a link is two entries: the client's socket at an even index, the server's (or -1) after it
   void accept()
   {
      const int iClient = ::accept(m_iListen, nullptr, nullptr);
      int iServer = (((iClient >= 0) && ! m_bSilent) ? ::socket(AF_INET, SOCK_STREAM, 0) : -1);
      const sockaddr_in target = loopback(m_iTargetPort);
      if ((iServer >= 0) && (::connect(iServer, reinterpret_cast<const sockaddr*>(&target), sizeof(target)) != 0)) { ::close(iServer); iServer = -1; }
      if (iClient >= 0) { m_lstFds.insert(m_lstFds.end(), { iClient, iServer }); }
   }

   // false when a side closed (or is gone): the link is dropped
   bool pass(int from, int to)
   {
      char buffer[16384];
      const ssize_t n = ::recv(from, buffer, sizeof(buffer), 0);
      if ((n > 0) && ! m_sStallOn.empty() && (std::string(buffer, static_cast<size_t>(n)).find(m_sStallOn) != std::string::npos)) { m_bSilent = true; return true; }
      return ((n > 0) && (::send(to, buffer, static_cast<size_t>(n), MSG_NOSIGNAL) == n));
   }

   void run()
   {
      auto silentSince = std::chrono::steady_clock::now();
      for (bool bWasSilent = m_bSilent; ! m_bStop;)
      {
         const bool bSilent = m_bSilent;
         if (bSilent && ! bWasSilent) { silentSince = std::chrono::steady_clock::now(); }
         bWasSilent = bSilent;
         // a silent proxy does not even read: whatever the client sends waits in the socket (closed links are -1: poll skips them)
         std::vector<pollfd> lstPoll { { m_iListen, POLLIN, 0 } };
         for (int fd : m_lstFds) { lstPoll.push_back({ fd, static_cast<short>(bSilent ? 0 : POLLIN), 0 }); }
         ::poll(lstPoll.data(), lstPoll.size(), 100);
         for (size_t i = 0; i < m_lstFds.size(); ++i) { if ((lstPoll[i + 1].revents & (POLLIN | POLLHUP)) && ! pass(m_lstFds[i], m_lstFds[i ^ 1])) { closeLink(i); } }
         const bool bRelease = bSilent && (std::chrono::steady_clock::now() - silentSince > std::chrono::seconds(m_iReleaseSeconds));
         for (size_t i = 0; bRelease && (i < m_lstFds.size()); i += 2) { if (m_lstFds[i] >= 0) { m_bReleased = true; closeLink(i); } }
         // after the links polled: a new one has no entry in this round's poll list
         if (lstPoll[0].revents & POLLIN) { accept(); }
      }
   }

   void closeLink(size_t i)
   {
      for (size_t j : { i, i ^ 1 }) { if (m_lstFds[j] >= 0) { ::close(m_lstFds[j]); } }
      m_lstFds[i] = m_lstFds[i ^ 1] = -1;
   }

   const int m_iTargetPort;
   const int m_iReleaseSeconds;
   const std::string m_sStallOn;
   const int m_iListen = ::socket(AF_INET, SOCK_STREAM, 0);
   int m_iPort = 0;
   std::atomic<bool> m_bSilent;
   std::atomic<bool> m_bStop { false };
   std::atomic<bool> m_bReleased { false };
   std::vector<int> m_lstFds;
   std::thread m_thread;
};

} // namespace kel_test

#endif // KEL_TESTS_SILENT_PROXY_H
