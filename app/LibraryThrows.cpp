// The functions libstdc++'s headers call to throw (std::__throw_out_of_range_fmt and the
// others its containers, strings and threads reach), for Setup.exe and Uninst.exe.
//
// libstdc++'s own definitions throw std::logic_error, std::runtime_error and their kin, which
// keep their message in the library's old copy-on-write string: linking them brings that
// string's code, the exception classes and what they pull in (about 45 KB of a 600 KiB stub).
// These definitions take their place at link time (every function of libstdc++'s object is
// defined here, so that object is never linked; a missing one would end the link with a
// duplicate definition, never fail silently).
//
// What is thrown, and what catches it:
// - a size beyond what a string or container can hold (std::__throw_length_error) throws
//   std::bad_alloc: it is memory that cannot be had, and the code that guards against huge
//   sizes catches std::bad_alloc (it keeps its std::length_error catch for other builds);
// - std::bad_alloc, std::bad_cast, std::bad_typeid, std::bad_exception and
//   std::bad_array_new_length are thrown as they are (they carry no string);
// - every other error (an index out of range, an invalid argument, a failed thread call) throws
//   an exception derived from std::exception whose what() reads as libstdc++'s text would.
// None of these is a setupkit error: the programs' sk::Error handlers let them pass, and their
// Main reports them through its std::exception handler, as before.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

// A library error with its text in place: no allocation, nothing to throw while copying.
class LibraryError : public std::exception {
 public:
  explicit LibraryError(const char* text) { Append(text); }
  const char* what() const noexcept override { return text_; }

  // Formats the few conversions libstdc++'s messages use (%s, %zu, %lu, %u, %d, %%); the text
  // is cut at the buffer's end.
  void Format(const char* format, va_list args) {
    for (const char* p = format; *p != '\0'; ++p) {
      if (*p != '%') {
        Put(*p);
        continue;
      }
      const char size = (p[1] == 'z' || p[1] == 'l') ? *++p : ' ';
      switch (*++p) {
        case 's':
          Append(va_arg(args, const char*));
          break;
        case 'u':
          AppendNumber(size == 'z'   ? va_arg(args, size_t)
                       : size == 'l' ? va_arg(args, unsigned long)
                                     : va_arg(args, unsigned));
          break;
        case 'd':
          AppendSigned(size == 'l' ? va_arg(args, long) : va_arg(args, int));
          break;
        case '\0':
          return;
        default:  // %% and anything unknown: the character itself
          Put(*p);
          break;
      }
    }
  }

  void Append(const char* s) {
    for (; s != nullptr && *s != '\0'; ++s) Put(*s);
  }
  void AppendSigned(long long v) {
    if (v < 0) Put('-');
    AppendNumber(v < 0 ? 0ULL - static_cast<unsigned long long>(v)
                       : static_cast<unsigned long long>(v));
  }
  void AppendNumber(unsigned long long v) {
    char digits[24];
    size_t n = 0;
    do {
      digits[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v != 0);
    while (n > 0) Put(digits[--n]);
  }

 private:
  void Put(char c) {
    if (length_ + 1 < sizeof text_) {
      text_[length_++] = c;
      text_[length_] = '\0';
    }
  }

  char text_[256] = {};
  size_t length_ = 0;
};

[[noreturn]] void ThrowLibraryError(const char* text) {
  throw LibraryError(text);
}

}  // namespace

namespace std {

void __throw_bad_exception() {
  throw bad_exception();
}
void __throw_bad_alloc() {
  throw bad_alloc();
}
void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}
void __throw_bad_cast() {
  throw bad_cast();
}
void __throw_bad_typeid() {
  throw bad_typeid();
}
void __throw_length_error(const char*) {
  throw bad_alloc();
}
void __throw_logic_error(const char* text) {
  ThrowLibraryError(text);
}
void __throw_domain_error(const char* text) {
  ThrowLibraryError(text);
}
void __throw_invalid_argument(const char* text) {
  ThrowLibraryError(text);
}
void __throw_out_of_range(const char* text) {
  ThrowLibraryError(text);
}
void __throw_out_of_range_fmt(const char* format, ...) {
  LibraryError error("");
  va_list args;
  va_start(args, format);
  error.Format(format, args);
  va_end(args);
  throw error;
}
void __throw_runtime_error(const char* text) {
  ThrowLibraryError(text);
}
void __throw_range_error(const char* text) {
  ThrowLibraryError(text);
}
void __throw_overflow_error(const char* text) {
  ThrowLibraryError(text);
}
void __throw_underflow_error(const char* text) {
  ThrowLibraryError(text);
}
#ifndef SK_LIBRARY_SYSTEM_ERROR
// std::thread, std::mutex and std::condition_variable report a failed system call with the
// error number (libstdc++ throws std::system_error, a std::runtime_error). This one lives in
// libstdc++'s object of the error categories, so a program that uses those (std::error_code)
// links that object and defines SK_LIBRARY_SYSTEM_ERROR to keep its definition; the test
// program does, through GoogleTest.
void __throw_system_error(int error) {
  LibraryError e("system error ");
  e.AppendSigned(error);
  throw e;
}
#endif

}  // namespace std
