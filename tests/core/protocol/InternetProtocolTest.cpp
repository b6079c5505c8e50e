// The protocol component and registry through the portable request path:
// scheme names, the split at the first colon, who answers, and what a
// (de)activation does to the registry.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"

namespace lumora::test {
namespace {

class ProtocolRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUpProtocolRegistry(); }
  void TearDown() override { ReleaseProtocolRegistry(); }
};

// A component that records its requests and answers each with answer.
struct TRecordingProtocol {
  TInternetProtocol Component;
  std::vector<String> Requests;
  std::vector<std::thread::id> Threads;

  explicit TRecordingProtocol(const String& scheme, std::string answer = "answer") {
    Component.SetProtocol(scheme);
    Component.SetOnRequestStream(
        [this, answer](TInternetProtocol& sender, const String& request, std::unique_ptr<TStream>& stream) {
          EXPECT_EQ(&sender, &Component);
          Requests.push_back(request);
          Threads.push_back(std::this_thread::get_id());
          auto memory = std::make_unique<TMemoryStream>();
          memory->WriteBuffer(answer.data(), static_cast<int64_t>(answer.size()));
          stream = std::move(memory);
        });
    Component.SetActive(true);
  }
};

std::string Answer(StringView url) {
  const std::unique_ptr<TStream> stream = RequestProtocolStream(url);
  if (!stream) return "<none>";
  EXPECT_EQ(stream->Position(), 0);
  std::string bytes(static_cast<size_t>(stream->Size()), '\0');
  stream->ReadBuffer(bytes.data(), stream->Size());
  return bytes;
}

TEST(InternetProtocol, SchemeNamesMustBeUnicodeIdentifiers) {
  const StringView accepted[] = {u"lmp",        u"app_2",        u"_",       u"_9",          u"\u00E9t\u00E9",
                                 u"\u03A9mega", u"\u65E5\u672C", u"x\u0663", u"\U0001D400bc"};
  for (StringView name : accepted) EXPECT_TRUE(TInternetProtocol::IsValidIdent(name)) << ToUtf8(name);
  const String loneSurrogate(1, u'\xD800');
  const StringView refused[] = {u"my-scheme", u"2go",     u"",    u"a b",     u"lmp:",
                                u"\u0663x",   u"\u216Bx", u"a.b", u"x\u00B2", loneSurrogate};
  for (StringView name : refused) EXPECT_FALSE(TInternetProtocol::IsValidIdent(name)) << ToUtf8(name);
}

TEST_F(ProtocolRegistryTest, BadNameChangesNothing) {
  TRecordingProtocol lmp(u"lmp");
  try {
    lmp.Component.SetProtocol(u"my-scheme");
    FAIL() << "no error";
  } catch (const EInternetException& error) {
    EXPECT_EQ(error.Message(), u"The Internet Protocol selected is not a valid protocol identifier");
  }
  EXPECT_EQ(lmp.Component.Protocol(), u"lmp");
  EXPECT_TRUE(lmp.Component.Active());
  EXPECT_EQ(Answer(u"lmp:x"), "answer");
}

TEST_F(ProtocolRegistryTest, NewComponentIsInactiveAndPrivate) {
  TInternetProtocol component;
  EXPECT_FALSE(component.Active());
  EXPECT_EQ(component.Protocol(), u"private");
  EXPECT_FALSE(component.OnRequestStream());
  EXPECT_FALSE(ProtocolNamespaceHeld());
}

TEST_F(ProtocolRegistryTest, RequestTextIsWhatFollowsTheFirstColon) {
  TRecordingProtocol lmp(u"lmp");
  EXPECT_EQ(Answer(u"lmp:x"), "answer");
  EXPECT_EQ(Answer(u"lmp://site/a.html"), "answer");
  EXPECT_EQ(Answer(u"LMP://site/b.html?q=1:2#top"), "answer");
  EXPECT_EQ(Answer(u"lmp:"), "answer");
  const std::vector<String> expected = {u"x", u"//site/a.html", u"//site/b.html?q=1:2#top", u""};
  EXPECT_EQ(lmp.Requests, expected);
  EXPECT_EQ(lmp.Threads[0], std::this_thread::get_id());
}

TEST_F(ProtocolRegistryTest, UnservedUrlsRaiseNoEvent) {
  TRecordingProtocol lmp(u"lmp");
  for (StringView url : {u"lmp//site/a.html", u"other://site/a.html", u"lm:x", u"lmpx:y", u":lmp", u""}) {
    EXPECT_EQ(Answer(url), "<none>") << ToUtf8(url);
  }
  EXPECT_TRUE(lmp.Requests.empty());
}

TEST_F(ProtocolRegistryTest, NoHandlerOrNoStreamGivesNothing) {
  TInternetProtocol bare;
  bare.SetProtocol(u"bare");
  bare.SetActive(true);
  EXPECT_EQ(Answer(u"bare:x"), "<none>");

  int calls = 0;
  bare.SetOnRequestStream([&](TInternetProtocol&, const String&, std::unique_ptr<TStream>&) { ++calls; });
  EXPECT_EQ(Answer(u"bare:x"), "<none>");
  EXPECT_EQ(calls, 1);
}

TEST_F(ProtocolRegistryTest, HandlerErrorsReachTheCaller) {
  TInternetProtocol failing;
  failing.SetProtocol(u"fail");
  failing.SetOnRequestStream([](TInternetProtocol&, const String&, std::unique_ptr<TStream>& stream) {
    stream = std::make_unique<TMemoryStream>();
    throw Exception(u"broken");
  });
  failing.SetActive(true);
  EXPECT_THROW(RequestProtocolStream(u"fail:x"), Exception);
  // The registry is not left locked or changed.
  EXPECT_TRUE(failing.Active());
  failing.SetActive(false);
  EXPECT_FALSE(ProtocolNamespaceHeld());
}

TEST_F(ProtocolRegistryTest, SecondHolderOfASchemeTakesItOver) {
  TRecordingProtocol first(u"lmp", "first");
  TRecordingProtocol second(u"LMP", "second");
  EXPECT_FALSE(first.Component.Active());
  EXPECT_TRUE(second.Component.Active());
  EXPECT_EQ(Answer(u"lmp:x"), "second");
  // The first one's destruction must not take the scheme from the second.
  first.Component.SetActive(false);
  EXPECT_EQ(Answer(u"lmp:x"), "second");
}

TEST_F(ProtocolRegistryTest, ActivatingTwiceRegistersOnce) {
  TRecordingProtocol lmp(u"lmp");
  lmp.Component.SetActive(true);
  lmp.Component.SetActive(false);
  EXPECT_EQ(Answer(u"lmp:x"), "<none>");
  EXPECT_FALSE(ProtocolNamespaceHeld());
}

TEST_F(ProtocolRegistryTest, NamespaceIsHeldWhileAnySchemeIsRegistered) {
  EXPECT_FALSE(ProtocolNamespaceHeld());
  TRecordingProtocol a(u"schemea");
  TRecordingProtocol b(u"schemeb");
  EXPECT_TRUE(ProtocolNamespaceHeld());
  a.Component.SetActive(false);
  EXPECT_TRUE(ProtocolNamespaceHeld());
  b.Component.SetActive(false);
  EXPECT_FALSE(ProtocolNamespaceHeld());
  // The next activation obtains the URL layer again.
  a.Component.SetActive(true);
  EXPECT_TRUE(ProtocolNamespaceHeld());
  EXPECT_EQ(Answer(u"schemea:1"), "answer");
}

TEST_F(ProtocolRegistryTest, RenamingAnActiveComponentMovesItsRegistration) {
  TRecordingProtocol lmp(u"lmp");
  lmp.Component.SetProtocol(u"lmq");
  EXPECT_TRUE(lmp.Component.Active());
  EXPECT_EQ(Answer(u"lmp:x"), "<none>");
  EXPECT_EQ(Answer(u"lmq:x"), "answer");

  TInternetProtocol idle;
  idle.SetProtocol(u"idle");
  EXPECT_FALSE(idle.Active());
  EXPECT_EQ(Answer(u"idle:x"), "<none>");
}

TEST_F(ProtocolRegistryTest, DestroyingAComponentUnregistersIt) {
  {
    TRecordingProtocol lmp(u"lmp");
    EXPECT_TRUE(ProtocolNamespaceHeld());
  }
  EXPECT_FALSE(ProtocolNamespaceHeld());
  EXPECT_EQ(Answer(u"lmp:x"), "<none>");
}

TEST(ProtocolRegistry, ReleaseDeactivatesWhatIsStillRegistered) {
  SetUpProtocolRegistry();
  TInternetProtocol a;
  TInternetProtocol b;
  a.SetProtocol(u"a");
  b.SetProtocol(u"b");
  a.SetActive(true);
  b.SetActive(true);
  ReleaseProtocolRegistry();
  EXPECT_FALSE(a.Active());
  EXPECT_FALSE(b.Active());
  EXPECT_EQ(RequestProtocolStream(u"a:x"), nullptr);
  // Activation needs a registry; the error leaves the component off.
  EXPECT_THROW(a.SetActive(true), EInternetException);
  EXPECT_FALSE(a.Active());
}

// A request from another thread is answered on the component's thread. That
// thread (here the test's) may meanwhile (de)activate components: while it
// waits for the registry's lock, which the requesting thread holds until it
// is answered, it serves the request instead of waiting forever.
TEST_F(ProtocolRegistryTest, OtherThreadsAreAnsweredWhileTheOwnerWaitsForTheLock) {
  TRecordingProtocol lmp(u"lmp");
  TInternetProtocol other;
  other.SetProtocol(u"other");
  std::atomic<bool> done{false};
  std::string answer;
  std::thread requester([&] {
    answer = Answer(u"lmp://site/from-thread.html");
    done = true;
  });
  while (!done) other.SetActive(!other.Active());
  requester.join();
  EXPECT_EQ(answer, "answer");
  ASSERT_EQ(lmp.Requests.size(), 1u);
  EXPECT_EQ(lmp.Threads[0], std::this_thread::get_id());
}

}  // namespace
}  // namespace lumora::test
