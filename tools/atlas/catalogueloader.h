// Loads the catalogue as often as asked: the atlas prepares a fresh one for every period. Load
// messages are dropped, faults go to standard error. A catalogue keeps writing to the sinks it
// was loaded with, so the loader outlives every catalogue it loads.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/textsink.h"

namespace trelkan {

class ComponentRegister;

class CatalogueLoader {
  public:
    explicit CatalogueLoader(std::string path) : m_path(std::move(path)) {}

    // Nothing when the definition file cannot be loaded; the fault is reported.
    std::unique_ptr<ComponentRegister> load();

  private:
    class Discard final : public TextSink {
      public:
        void write(std::string_view) override {}
    };

    std::string m_path;
    Discard m_messages;
    StreamSink m_errors{stderr};
};

}  // namespace trelkan
