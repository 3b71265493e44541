// A read-only, seekable stream over bytes owned elsewhere, so that many
// prefixes of one file can be read without copying it.
#pragma once

#include <istream>
#include <streambuf>
#include <string_view>

namespace zelvo::testing {

class SpanBuf : public std::streambuf {
public:
    explicit SpanBuf(std::string_view bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }

protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        const off_type base = dir == std::ios_base::beg   ? 0
                              : dir == std::ios_base::cur ? gptr() - eback()
                                                          : egptr() - eback();
        return seekpos(pos_type(base + off), std::ios_base::in);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode) override {
        if (pos < 0 || pos > egptr() - eback()) return pos_type(off_type(-1));
        setg(eback(), eback() + pos, egptr());
        return pos;
    }
};

class SpanStream : public std::istream {
public:
    explicit SpanStream(std::string_view bytes) : std::istream(nullptr), buf_(bytes) { rdbuf(&buf_); }

private:
    SpanBuf buf_;
};

}  // namespace zelvo::testing
