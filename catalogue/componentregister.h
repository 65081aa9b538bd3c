// The catalogue on which every search runs, read from the definition file and the RLE images it
// names. Loading is strict: the first fault of the file ends the program with a message naming
// the file and the line.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/basiccomponent.h"
#include "catalogue/cellmap.h"
#include "catalogue/linereader.h"
#include "compound/componentvariant.h"

namespace trelkan {

class ComponentRegister {
  public:
    // Limits of the numbers of component and variant lines.
    static constexpr std::int32_t kMaxDelay = 1000000;
    static constexpr std::int32_t kMaxOffset = 1000000;
    static constexpr std::int32_t kMaxPeriod = 1000000;
    static constexpr std::int32_t kMaxCompression = 1000000;

    // Reads the whole definition file. Returns only on success: every fault of the file is
    // reported through the console-and-log channel and ends the program with exit status 1.
    explicit ComponentRegister(const std::string& path);
    virtual ~ComponentRegister();
    ComponentRegister(const ComponentRegister&) = delete;
    ComponentRegister& operator=(const ComponentRegister&) = delete;

    // Lookups by exact name, in file order. Unless quiet, a miss is reported.
    BasicComponent* findComponent(std::string_view name, bool quiet) const;
    ComponentVariant* findVariant(std::string_view name, bool quiet) const;

    std::int32_t componentCount() const { return m_componentCount; }
    std::int32_t variantCount() const { return m_variantCount; }
    std::int32_t maxVariants() const { return m_maxVariants; }
    std::int32_t completeDepth() const { return m_completeDepth; }
    BasicComponent& component(std::int32_t index) const { return *m_componentList[index]; }
    ComponentVariant& variant(std::int32_t index) const { return *m_variantList[index]; }

  private:
    void readComponentSection();
    void readPairSection();
    void readSequenceSection();
    void buildIndexes();
    // Reads the next line of the definition file, or ends the program at the end of the file.
    void readLineOrFail();
    [[noreturn]] void failAtLine(std::string_view what) const;

    // Line parsers: each writes its own message on failure and returns null (or false).
    std::unique_ptr<BasicComponent> parseComponent();
    ComponentVariant* parseVariant(BasicComponent& component);
    std::shared_ptr<const CellMap> parseCellMap(bool wantImage);
    std::optional<std::string> readRleText(LineReader& image);
    bool parseInteger(std::int32_t minimum, std::int32_t maximum, std::int32_t& value);
    // parseInteger, followed on failure by the field's own message.
    std::optional<std::int32_t> parseField(std::int32_t minimum, std::int32_t maximum,
                                           std::string_view failure);

    std::int32_t m_completeDepth = 0;
    std::int32_t m_maxVariants = 1;
    std::int32_t m_componentCount = 0;
    std::vector<BasicComponent*> m_componentList;
    std::int32_t m_variantCount = 0;
    std::vector<ComponentVariant*> m_variantList;
    // Components in file order (owned); variants in file order (owned by their components).
    std::deque<std::unique_ptr<BasicComponent>> m_components;
    std::deque<ComponentVariant*> m_variants;
    // Names are unique, so these find what a scan in file order finds, without making loading
    // quadratic in the size of the file.
    std::unordered_map<std::string, BasicComponent*> m_componentsByName;
    std::unordered_map<std::string, ComponentVariant*> m_variantsByName;

    // Loading state: the file, its current line and the tokens of that line.
    std::string m_path;
    std::unique_ptr<LineReader> m_reader;
    std::string m_line;
    LineTokens m_tokens;
};

}  // namespace trelkan
