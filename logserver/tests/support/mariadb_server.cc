// The private MariaDB server: mariadb-install-db, then mariadbd on a socket
// in the temporary directory, reached as root through the client library.
#include "logserver/tests/support/mariadb_server.h"

#include <mysql.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "logserver/constants.h"
#include "platform/files.h"
#include "platform_testing/child_process.h"

namespace halvern_testing {

namespace {

constexpr int kInstallTimeoutMs = 120000;
constexpr int kReadyTimeoutMs = 60000;
constexpr int kStopTimeoutMs = 30000;

std::string findProgram(const std::string& name) {
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  path += ":/usr/sbin:/usr/bin:/usr/local/sbin:/usr/local/bin";
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find(':', begin);
    if (end == std::string::npos) end = path.size();
    std::string candidate = path.substr(begin, end - begin) + "/" + name;
    if (end > begin && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    begin = end + 1;
  }
  return "";
}

// Running as root needs an explicit --user for the server tools.
std::vector<std::string> userOption() {
  if (::geteuid() == 0) return {"--user=root"};
  return {};
}

class RootConnection {
 public:
  explicit RootConnection(const std::string& socket) {
    mysql_init(&mysql_);
    unsigned timeout = 5;
    mysql_options(&mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    ok_ = mysql_real_connect(&mysql_, "localhost", "root", "", nullptr, 0, socket.c_str(), 0) != nullptr;
  }
  ~RootConnection() { mysql_close(&mysql_); }
  bool ok() const { return ok_; }
  MYSQL* handle() { return &mysql_; }

 private:
  MYSQL mysql_;
  bool ok_ = false;
};

}  // namespace

MariaDbServer::MariaDbServer(std::vector<std::string> serverOptions) : serverOptions_(std::move(serverOptions)) {
  std::string tmpl = "/tmp/halvern-mariadb-XXXXXX";
  if (::mkdtemp(tmpl.data())) dir_ = tmpl;
  dataDir_ = dir_ + "/data";
  socketPath_ = dir_ + "/mariadb.sock";
}

MariaDbServer::~MariaDbServer() { stop(); }

bool MariaDbServer::start(std::string& error) {
  if (dir_.empty()) {
    error = "cannot create a temporary directory";
    return false;
  }
  ::setenv("MYSQL_UNIX_PORT", socketPath_.c_str(), 1);
  mysql_library_init(0, nullptr, nullptr);
  return install(error) && launch(error) && waitReady(error) && createAccount(error);
}

bool MariaDbServer::install(std::string& error) {
  std::string program = findProgram("mariadb-install-db");
  if (program.empty()) {
    error = "mariadb-install-db not found";
    return false;
  }
  std::vector<std::string> args{"--no-defaults", "--auth-root-authentication-method=normal",
                                "--datadir=" + dataDir_, "--skip-test-db",
                                // A private temporary directory: parallel installs collide in /tmp.
                                "--tmpdir=" + dir_};
  for (auto& u : userOption()) args.push_back(u);
  platform_testing::ChildProcess install(program, dir_, {}, args);
  int status = install.waitExit(kInstallTimeoutMs);
  if (status != 0) {
    error = "mariadb-install-db failed (" + std::to_string(status) + "): " + install.stdoutText() +
            install.stderrText();
    return false;
  }
  return true;
}

bool MariaDbServer::launch(std::string& error) {
  std::string program = findProgram("mariadbd");
  if (program.empty()) {
    error = "mariadbd not found";
    return false;
  }
  std::vector<std::string> args{program,
                                "--no-defaults",
                                "--datadir=" + dataDir_,
                                "--socket=" + socketPath_,
                                "--skip-networking",
                                "--pid-file=" + dir_ + "/mariadbd.pid",
                                "--log-error=" + dir_ + "/error.log",
                                "--tmpdir=" + dir_,
                                "--innodb-buffer-pool-size=32M",
                                "--innodb-flush-log-at-trx-commit=2"};
  for (auto& u : userOption()) args.push_back(u);
  args.insert(args.end(), serverOptions_.begin(), serverOptions_.end());
  pid_ = ::fork();
  if (pid_ < 0) {
    error = "fork failed";
    return false;
  }
  if (pid_ == 0) {
    // The server must not outlive a test executable that crashes.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    int out = ::open((dir_ + "/mariadbd.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return true;
}

bool MariaDbServer::waitReady(std::string& error) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    int status;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error = "mariadbd ended at start: " + errorLogTail();
      return false;
    }
    struct stat st;
    if (::stat(socketPath_.c_str(), &st) == 0 && RootConnection(socketPath_).ok()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  error = "mariadbd did not answer in time: " + errorLogTail();
  return false;
}

bool MariaDbServer::createAccount(std::string& error) {
  std::string account = std::string("'") + halvern::kDatabaseUser + "'@'localhost'";
  return execute(std::string("CREATE DATABASE ") + halvern::kDatabaseName, &error) &&
         execute("CREATE USER " + account + " IDENTIFIED BY '" + halvern::kDatabasePassword + "'", &error) &&
         execute(std::string("GRANT ALL PRIVILEGES ON ") + halvern::kDatabaseName + ".* TO " + account, &error);
}

std::string MariaDbServer::errorLogTail() const {
  std::string text;
  platform::readWholeFile(dir_ + "/error.log", text);
  return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}

void MariaDbServer::stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopTimeoutMs);
    int status;
    while (::waitpid(pid_, &status, WNOHANG) != pid_) {
      if (std::chrono::steady_clock::now() >= deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
  }
  if (!dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    dir_.clear();
  }
}

bool MariaDbServer::execute(const std::string& sql, std::string* error) {
  RootConnection root(socketPath_);
  if (!root.ok() || mysql_real_query(root.handle(), sql.data(), sql.size()) != 0) {
    if (error) *error = sql + ": " + mysql_error(root.handle());
    return false;
  }
  if (MYSQL_RES* result = mysql_store_result(root.handle())) mysql_free_result(result);
  return true;
}

std::vector<Row> MariaDbServer::query(const std::string& sql) {
  std::vector<Row> rows;
  RootConnection root(socketPath_);
  if (!root.ok() || mysql_real_query(root.handle(), sql.data(), sql.size()) != 0) {
    ADD_FAILURE() << sql << ": " << mysql_error(root.handle());
    return rows;
  }
  MYSQL_RES* result = mysql_store_result(root.handle());
  if (!result) return rows;
  unsigned columns = mysql_num_fields(result);
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    unsigned long* lengths = mysql_fetch_lengths(result);
    Row r;
    for (unsigned i = 0; i < columns; ++i) {
      if (row[i]) r.emplace_back(std::string(row[i], lengths[i]));
      else r.emplace_back(std::nullopt);
    }
    rows.push_back(std::move(r));
  }
  mysql_free_result(result);
  return rows;
}

void MariaDbServer::resetDatabase() {
  std::string error;
  std::string name = halvern::kDatabaseName;
  if (!execute("DROP DATABASE IF EXISTS " + name, &error) || !execute("CREATE DATABASE " + name, &error))
    ADD_FAILURE() << error;
}

namespace {
MariaDbServer* server = nullptr;
}  // namespace

MariaDbServer& mariaDb() { return *server; }

void MariaDbEnvironment::SetUp() {
  server = new MariaDbServer(serverOptions_);
  std::string error;
  if (!server->start(error)) GTEST_FAIL() << "MariaDB test server: " << error;
}

void MariaDbEnvironment::TearDown() {
  delete server;
  server = nullptr;
}

}  // namespace halvern_testing
