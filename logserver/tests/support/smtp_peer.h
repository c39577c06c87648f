// A scripted SMTP server for tests: listens on a loopback address, records the
// raw bytes it receives and answers each command as its script says (reply,
// close the connection, or stay silent).
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace halvern_testing {

struct PeerStep {
  enum Kind { Reply, ReplyThenClose, ReplyThenStopReading, Close, Silent } kind = Reply;
  std::string text;

  static PeerStep reply(std::string text) { return {Reply, std::move(text)}; }
  static PeerStep replyThenClose(std::string text) { return {ReplyThenClose, std::move(text)}; }
  // Answers, then reads nothing more and keeps the connection open until the
  // peer is destroyed.
  static PeerStep replyThenStopReading(std::string text) { return {ReplyThenStopReading, std::move(text)}; }
  static PeerStep close() { return {Close, {}}; }
  static PeerStep silent() { return {Silent, {}}; }
};

class ScriptedSmtpPeer {
 public:
  // port 0 picks a free port.
  explicit ScriptedSmtpPeer(const std::string& address = "127.0.0.2", std::uint16_t port = 0);
  ~ScriptedSmtpPeer();
  ScriptedSmtpPeer(const ScriptedSmtpPeer&) = delete;
  ScriptedSmtpPeer& operator=(const ScriptedSmtpPeer&) = delete;

  bool listening() const { return listenFd_ >= 0; }
  std::uint16_t port() const { return port_; }
  std::uint32_t address() const { return address_; }  // network order

  void setGreeting(PeerStep step);
  // Connections accepted from now on get a tiny receive buffer and segment
  // size, so a client's sends block after a few KiB that the peer does not read.
  void shrinkReceiveWindow();
  // The step for the occurrence-th command with this verb, counted from 1
  // over all connections ("MAIL", "RCPT", "DATA", "QUIT"; "." is the end of
  // the mail text). Unscripted commands get 250, 354 for DATA, 221 for QUIT
  // (then the peer closes).
  void script(const std::string& verb, int occurrence, PeerStep step);

  std::string received() const;               // every byte received, in order
  std::vector<std::string> commands() const;  // command lines without line ends, "." for each end of mail text
  std::string mailText() const;               // the last mail text, without the end-of-data line
  int connections() const;
  // True once every accepted connection has ended (and there was one).
  bool waitAllClosed(int timeoutMs) const;

 private:
  void run();
  void serve(int fd);
  PeerStep stepFor(const std::string& verb);
  // Handles the complete lines or mail text in buffer; false when the
  // connection must end.
  bool process(int fd, std::string& buffer);

  int listenFd_ = -1;
  std::uint16_t port_ = 0;
  std::uint32_t address_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;

  mutable std::mutex mutex_;
  PeerStep greeting_ = PeerStep::reply("220 peer ready\r\n");
  std::map<std::pair<std::string, int>, PeerStep> script_;
  std::map<std::string, int> seen_;
  std::string received_;
  std::vector<std::string> commands_;
  std::string mailText_;
  int connections_ = 0;
  int closed_ = 0;
  bool inData_ = false;
  bool silent_ = false;
  bool reading_ = true;
};

}  // namespace halvern_testing
