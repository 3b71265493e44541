// A read-only, seekable stream over bytes owned elsewhere, so that many
// prefixes of one file can be read without copying it.
#pragma once

#include <istream>
#include <streambuf>
#include <string_view>

namespace zelvo::testing {

class SpanStream : private std::streambuf, public std::istream {
public:
    explicit SpanStream(std::string_view bytes) : std::istream(this) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }

private:
    std::streampos seekoff(std::streamoff off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        const std::streamoff base = dir == std::ios_base::beg ? 0 : (dir == std::ios_base::cur ? gptr() : egptr()) - eback();
        return seekpos(base + off, std::ios_base::in);
    }
    std::streampos seekpos(std::streampos pos, std::ios_base::openmode) override {
        if (pos < 0 || pos > egptr() - eback()) return std::streamoff(-1);
        setg(eback(), eback() + pos, egptr());
        return pos;
    }
};

}  // namespace zelvo::testing
