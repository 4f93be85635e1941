// SPDX-License-Identifier: MIT
// A PostgreSQL 15 server of the tests' own, in a temporary folder, reached
// through a Unix socket there. Started with initdb and pg_ctl; as root they
// run as the unprivileged "postgres" user (the server refuses root), who
// owns the folder.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <string>
#include <vector>

namespace glenvary::test {

class TPostgresServer {
public:
    static constexpr const char* kBinaries = "/usr/lib/postgresql/15/bin";
    static constexpr int kPort = 54329;

    TPostgresServer() = default;
    ~TPostgresServer() { Stop(); }
    TPostgresServer(const TPostgresServer&) = delete;
    TPostgresServer& operator=(const TPostgresServer&) = delete;

    /// Makes a cluster and starts it; an empty string, or why it could not.
    std::string Start()
    {
        char folder[] = "/tmp/glenvary-pg-XXXXXX";
        if (mkdtemp(folder) == nullptr) {
            return "cannot make a temporary folder";
        }
        root_ = folder;
        if (geteuid() == 0) {
            const passwd* user = getpwnam("postgres");
            if (user == nullptr) {
                return "running as root, and there is no postgres user to run the server as";
            }
            user_ = "postgres";
            if (chown(folder, user->pw_uid, user->pw_gid) != 0) {
                return "cannot give " + root_ + " to the postgres user";
            }
        }
        const std::string data = root_ + "/data";
        if (!Run({std::string(kBinaries) + "/initdb", "-D", data, "-A", "trust", "-U", "postgres", "-E", "UTF8",
                  "--no-sync"},
                 root_ + "/initdb.log")) {
            return "initdb failed (see " + root_ + "/initdb.log)";
        }
        const std::string options = "-c listen_addresses='' -c unix_socket_directories=" + root_ + " -p "
            + std::to_string(kPort) + " -c fsync=off -c shared_buffers=256MB";
        if (!Run({std::string(kBinaries) + "/pg_ctl", "-D", data, "-l", root_ + "/server.log", "-o", options, "-w",
                  "start"},
                 root_ + "/pg_ctl.log")) {
            return "the server did not start (see " + root_ + "/server.log)";
        }
        started_ = true;
        return {};
    }

    /// Stops the server at once and removes its folder.
    void Stop()
    {
        if (started_) {
            Run({std::string(kBinaries) + "/pg_ctl", "-D", root_ + "/data", "-m", "immediate", "-w", "stop"},
                "/dev/null");
            started_ = false;
        }
        if (!root_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(root_, ec);
            root_.clear();
        }
    }

    /// The address of the database `postgres`.
    [[nodiscard]] std::string Address() const
    {
        return "postgresql:///postgres?host=" + root_ + "&port=" + std::to_string(kPort) + "&user=postgres";
    }

    /// Runs `sql` in `database` through psql; whether it worked.
    bool Sql(const std::string& sql, const std::string& database = "postgres") const
    {
        return Run({std::string(kBinaries) + "/psql", "-q", "-v", "ON_ERROR_STOP=1", "-h", root_, "-p",
                    std::to_string(kPort), "-U", "postgres", "-d", database, "-c", sql},
                   "/dev/null");
    }

private:
    // Runs a program (as the postgres user when root), its output to `log`.
    bool Run(std::vector<std::string> argv, const std::string& log) const
    {
        if (!user_.empty()) {
            argv.insert(argv.begin(), {"/usr/sbin/runuser", "-u", user_, "--"});
        }
        const pid_t pid = fork();
        if (pid == 0) {
            const std::string redirect = log;
            if (std::freopen(redirect.c_str(), "w", stdout) == nullptr
                || std::freopen(redirect.c_str(), "a", stderr) == nullptr) {
                _exit(127);
            }
            std::vector<char*> args;
            for (std::string& arg : argv) {
                args.push_back(arg.data());
            }
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        int status = 0;
        return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    std::string root_;
    std::string user_;
    bool started_ = false;
};

} // namespace glenvary::test
