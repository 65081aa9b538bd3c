#include "run/rlewriter.h"

#include "run/output.h"

namespace trelkan {
namespace {

class PatternFileSink final : public TextSink {
  public:
    void write(std::string_view text) override { writePatternText(text); }
};

}  // namespace

RleWriter& patternWriter() {
    static PatternFileSink sink;
    static RleWriter writer(sink, kPatternFileStyle);
    return writer;
}

}  // namespace trelkan
