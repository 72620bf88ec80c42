// The throw helpers of app/LibraryThrows.cpp, as Setup.exe and Uninst.exe link them: what the
// standard library's own failures throw there, and that the programs' handlers catch it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "platform/Error.h"

namespace sk {
namespace {

enum class Caught { BadAlloc, Exception, SetupkitError, Nothing };

struct Outcome {
  Caught caught = Caught::Nothing;
  std::string text;
};

// Catches as the programs do: sk::Error first, then the memory failures the guarded parsers
// map to a message of their own, then anything else through std::exception (Main's handler).
Outcome CatchAsThePrograms(const std::function<void()>& body) {
  try {
    body();
  } catch (const Error& e) {
    return {Caught::SetupkitError, e.what()};
  } catch (const std::bad_alloc& e) {
    return {Caught::BadAlloc, e.what()};
  } catch (const std::exception& e) {
    return {Caught::Exception, e.what()};
  }
  return {};
}

TEST(LibraryThrows, FailuresOfTheLibraryReachTheProgramsHandlers) {
  const char* volatile null = nullptr;
  struct Case {
    const char* name;
    std::function<void()> body;
    Caught caught;
    const char* text;  // what() in full, or nullptr to leave it unchecked
  } cases[] = {
      {"string::substr past the end", [] { (void)std::string("abc").substr(5); }, Caught::Exception,
       "basic_string::substr: __pos (which is 5) > this->size() (which is 3)"},
      {"vector::at past the end", [] { (void)std::vector<int>(2).at(7); }, Caught::Exception,
       "vector::_M_range_check: __n (which is 7) >= this->size() (which is 2)"},
      {"string from a null pointer", [&] { std::string s(null); }, Caught::Exception, nullptr},
      // A size beyond what a string or vector can hold is memory that cannot be had: the log
      // and package parsers turn std::bad_alloc into their own "does not fit" error.
      {"string::reserve beyond max_size",
       [] {
         std::string s;
         s.reserve(s.max_size() + 1);
       },
       Caught::BadAlloc, nullptr},
      {"vector::reserve beyond max_size",
       [] {
         std::vector<int> v;
         v.reserve(v.max_size() + 1);
       },
       Caught::BadAlloc, nullptr},
      {"every conversion of the messages",
       [] {
         std::__throw_out_of_range_fmt("%s|%zu|%lu|%u|%d|%ld|%%", "text", size_t{4000000000u},
                                       4294967295ul, 7u, -2147483647 - 1, -5l);
       },
       Caught::Exception, "text|4000000000|4294967295|7|-2147483648|-5|%"},
      {"null text",
       [] { std::__throw_out_of_range_fmt("[%s]", static_cast<const char*>(nullptr)); },
       Caught::Exception, "[]"},
      {"plain texts", [] { std::__throw_invalid_argument("stoi"); }, Caught::Exception, "stoi"},
      {"sk::Error keeps its own handler", [] { throw Error("\xb0\xb2\xd7\xb0"); },  // 安装
       Caught::SetupkitError, "\xb0\xb2\xd7\xb0"},
  };
  for (const Case& c : cases) {
    const Outcome out = CatchAsThePrograms(c.body);
    EXPECT_EQ(static_cast<int>(out.caught), static_cast<int>(c.caught)) << c.name;
    if (c.text != nullptr) {
      EXPECT_EQ(out.text, c.text) << c.name;
    } else {
      EXPECT_FALSE(out.text.empty()) << c.name;
    }
  }
}

TEST(LibraryThrows, LongTextsAreCutNotOverrun) {
  const std::string longText(1000, 'x');
  const Outcome out =
      CatchAsThePrograms([&] { std::__throw_out_of_range_fmt("%s%s", longText.c_str(), "end"); });
  ASSERT_EQ(out.caught, Caught::Exception);
  EXPECT_EQ(out.text, std::string(255, 'x'));
}

TEST(SetupkitError, CopiesShareTheMessageAndCatchAsStdException) {
  const Error original("C:\\a.txt: cannot be written");
  const Error copy = original;  // NOLINT(performance-unnecessary-copy-initialization)
  EXPECT_STREQ(copy.what(), "C:\\a.txt: cannot be written");
  EXPECT_EQ(copy.what(), original.what());  // the same text, not a copy of it
  const Outcome out = CatchAsThePrograms([&] { throw copy; });
  EXPECT_EQ(out.caught, Caught::SetupkitError);
  try {
    throw Error("x");
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "x");
  }
}

}  // namespace
}  // namespace sk
