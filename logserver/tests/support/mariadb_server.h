// Test fixture: a private MariaDB server in a temporary directory (its own
// socket, networking off, optional extra server options) with the database
// "IDS" and the log server's account, started once per test executable by a
// gtest Environment.
#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halvern_testing {

// One row of a result: each column's bytes, nullopt for NULL.
using Row = std::vector<std::optional<std::string>>;

class MariaDbServer {
 public:
  // serverOptions are added to the server's command line ("--name=value").
  explicit MariaDbServer(std::vector<std::string> serverOptions = {});
  ~MariaDbServer();
  MariaDbServer(const MariaDbServer&) = delete;
  MariaDbServer& operator=(const MariaDbServer&) = delete;

  // Sets MYSQL_UNIX_PORT to the private socket (before any client library
  // call of the process), installs and starts the server, waits for it
  // (bounded) and creates the database and the account. false with error set
  // when any step fails.
  bool start(std::string& error);
  // Stops the server by its pid (SIGTERM, bounded wait, then SIGKILL) and
  // removes the directory.
  void stop();

  const std::string& socketPath() const { return socketPath_; }

  // Statements as root on the private socket.
  bool execute(const std::string& sql, std::string* error = nullptr);
  std::vector<Row> query(const std::string& sql);
  // Drops and recreates the database "IDS" (empty, no tables).
  void resetDatabase();

 private:
  bool install(std::string& error);
  bool launch(std::string& error);
  bool waitReady(std::string& error);
  bool createAccount(std::string& error);
  std::string errorLogTail() const;

  std::vector<std::string> serverOptions_;
  std::string dir_, dataDir_, socketPath_;
  pid_t pid_ = -1;
};

// The server of the running test executable (started by the Environment).
MariaDbServer& mariaDb();

class MariaDbEnvironment : public ::testing::Environment {
 public:
  explicit MariaDbEnvironment(std::vector<std::string> serverOptions = {}) : serverOptions_(std::move(serverOptions)) {}
  void SetUp() override;
  void TearDown() override;

 private:
  std::vector<std::string> serverOptions_;
};

}  // namespace halvern_testing
