#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/scriptedclient.h"

namespace kestrin::test {
namespace {

Payload Move(std::uint8_t colour, const std::string& text) {
  Payload p{colour, 1, 1, 1};
  const Payload t = TextPayload(text);
  p.insert(p.end(), t.begin(), t.end());
  return p;
}

TEST(ServerProcess, PlaysAGameAndStopsCleanlyOnSigterm) {
  int errors[2];
  ASSERT_EQ(pipe(errors), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(errors[1], 2);
    close(errors[0]);
    execl(KESTRIN_SERVER, KESTRIN_SERVER, "--port", "0", "--bind", "127.0.0.1", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(errors[1]);
  std::FILE* log = fdopen(errors[0], "r");
  std::string lines;
  char line[512];
  unsigned port = 0;
  while (port == 0 && std::fgets(line, sizeof line, log)) {
    lines += line;
    std::sscanf(line, "Listening on 127.0.0.1, port %u", &port);
  }
  ASSERT_NE(port, 0u) << lines;

  ScriptedClient white, black;
  ASSERT_TRUE(white.Connect("127.0.0.1", static_cast<std::uint16_t>(port)));
  ASSERT_TRUE(white.Send(5, TextPayload("Ann")) && white.Send(6, ShortPayload(1)));
  ASSERT_TRUE(white.WaitFor(17));
  ASSERT_TRUE(black.Connect("127.0.0.1", static_cast<std::uint16_t>(port)));
  ASSERT_TRUE(black.Send(5, TextPayload("Bob")) && black.Send(6, ShortPayload(1)));
  EXPECT_EQ(white.WaitFor(13)->payload, ShortPayload(1));
  EXPECT_EQ(black.WaitFor(13)->payload, ShortPayload(2));
  const char* moves[] = {"f2-f3 ", "e7-e5 ", "g2-g4 ", "Qd8-h4 "};
  for (int i = 0; i < 4; ++i) {
    (i % 2 ? black : white).Send(4, Move(static_cast<std::uint8_t>(i % 2 + 1), moves[i]));
    for (ScriptedClient* client : {&white, &black}) {
      auto relayed = client->WaitFor(4);
      ASSERT_TRUE(relayed);
      EXPECT_EQ(PayloadText(relayed->payload, 4), moves[i]);
    }
  }
  for (ScriptedClient* client : {&white, &black}) {
    auto text = client->WaitFor(3);
    while (text && PayloadText(text->payload) != "Black Wins") text = client->WaitFor(3);
    EXPECT_TRUE(text);
  }

  kill(pid, SIGTERM);
  for (ScriptedClient* client : {&white, &black}) {
    EXPECT_TRUE(client->WaitFor(9));
    EXPECT_TRUE(client->WaitClosed());
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  while (std::fgets(line, sizeof line, log)) lines += line;
  std::fclose(log);
  for (const char* event : {"Client 1 Connected", "Table 0: <Bob is Ready to Play>", "Table 0: Black Wins", "Server stopped"})
    EXPECT_NE(lines.find(event), std::string::npos) << event << " missing from\n" << lines;
}

} // namespace
} // namespace kestrin::test
