#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/scriptedclient.h"

namespace kestrin::test {
namespace {

TEST(ServerProcess, PlaysAGameAndStopsCleanlyOnSigterm) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeEnds[1], 2);
    execl(KESTRIN_SERVER, KESTRIN_SERVER, "--port", "0", "--bind", "127.0.0.1", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  std::FILE* events = fdopen(pipeEnds[0], "r");
  std::string log;
  unsigned port = 0;
  for (char line[256]; !port && std::fgets(line, sizeof line, events);)
    log += line, std::sscanf(line, "Listening on 127.0.0.1, port %u", &port);
  ScriptedClient players[2], watcher;
  for (ScriptedClient& p : players) {
    ASSERT_TRUE(p.Connect(static_cast<std::uint16_t>(port))) << log;
    p.Send(6, ShortPayload(1));
    ASSERT_TRUE(p.WaitFor(17));
  }
  players[0].Send(5, TextPayload("Ann"));
  ASSERT_TRUE(watcher.Connect(static_cast<std::uint16_t>(port)) && watcher.Send(1, ShortPayload(0)) && watcher.WaitFor(15));
  const std::string moves[] = {"f2-f3 ", "e7-e5 ", "g2-g4 ", "Qd8-h4 "};
  for (int i = 0; i < 4; ++i) {
    players[i % 2].Send(4, MovePayload(i % 2 + 1, moves[i]));
    for (ScriptedClient& p : players) EXPECT_EQ(PayloadText(p.WaitFor(4).value().payload, 4), moves[i]);
  }
  players[0].Close();
  std::optional<Frame> chat;
  while ((chat = watcher.WaitFor(2)) && PayloadText(chat->payload) != "** Ann Disconnected **") {
  }
  ASSERT_TRUE(chat) << "Ann's leaving not announced";
  kill(pid, SIGTERM);
  for (ScriptedClient* p : {&players[1], &watcher}) EXPECT_TRUE(p->WaitFor(9) && p->WaitClosed()), p->Close();
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (char line[256]; std::fgets(line, sizeof line, events);) log += line;
  std::fclose(events);
  for (const char* event :
       {"Client 2 Connected", "Table 0: <Guest2 is Ready to Play>", "Table 0: Black Wins", "Client 1 (Ann) is disconnected",
        "Server stopped"})
    EXPECT_NE(log.find(event), std::string::npos) << event << " not in\n" << log;
}

TEST(ServerProcess, SaysWhatAnOptionLacks) {
  std::FILE* out = popen(KESTRIN_SERVER " --port 2>&1", "r");
  std::string text;
  for (char line[256]; std::fgets(line, sizeof line, out);) text += line;
  const int status = pclose(out);
  EXPECT_EQ(text, "kestrin-server: --port needs a port number\n");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

} // namespace
} // namespace kestrin::test
