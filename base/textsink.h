// Where text goes: standard output, a file, or a string. Writers below the program's top layer
// write to a sink that they are given, never to a stream of their own choice.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace trelkan {

class TextSink {
  public:
    virtual ~TextSink() = default;
    virtual void write(std::string_view text) = 0;
};

// Collects the text in a string.
class StringSink final : public TextSink {
  public:
    void write(std::string_view text) override { m_text += text; }
    const std::string& text() const { return m_text; }
    std::string take() { return std::move(m_text); }

  private:
    std::string m_text;
};

// Writes to an open stream, such as standard output or standard error; does not own it.
class StreamSink final : public TextSink {
  public:
    explicit StreamSink(std::FILE* stream) : m_stream(stream) {}
    void write(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), m_stream);
    }

  private:
    std::FILE* m_stream;
};

}  // namespace trelkan
