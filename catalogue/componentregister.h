// The catalogue on which every search runs, read from the definition file and the RLE images it
// names. Loading is strict: the first fault of the file ends the loading, with an error that names
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

#include "base/textsink.h"
#include "catalogue/basiccomponent.h"
#include "catalogue/cellmap.h"
#include "catalogue/componentvariant.h"
#include "catalogue/linereader.h"

namespace trelkan {

class ACTree;

// A run of components that no chain may hold, in chain order.
using ComponentSequence = std::vector<const BasicComponent*>;

// The type letters of a variant: G, then R or S, then at most one of U and X.
struct VariantType {
    bool typeR = false;
    bool typeU = false;
    bool typeX = false;
};

// The first fault of a definition file.
struct LoadError {
    std::string path;
    // 0 when the fault is the file's as a whole.
    std::int32_t line = 0;
    std::string message;
    // As the program reports it: "path:line: message" or the message alone, with a line end.
    std::string text() const;
};

class ComponentRegister {
  public:
    // Limits of the numbers of component and variant lines.
    static constexpr std::int32_t kMaxDelay = 1000000;
    static constexpr std::int32_t kMaxOffset = 1000000;
    static constexpr std::int32_t kMaxPeriod = 1000000;
    static constexpr std::int32_t kMaxCompression = 1000000;

    // The longest sequence of the [Sequences] section, and of the forbidden-sequence tree.
    static constexpr std::int32_t kMaxSequenceLength = 10;

    // Reads the whole definition file. The line parsers' messages and the loading and
    // preparation lines go to out, the refusals of images to errors. Nothing on the first fault of
    // the file, and the error.
    static std::unique_ptr<ComponentRegister> load(const std::string& path, TextSink& out,
                                                   TextSink& errors, LoadError& error);
    // An empty catalogue, to be filled in code: components and variants, then
    // finishComponents, then pairs and sequences. Its messages go to out, when given.
    explicit ComponentRegister(TextSink* out = nullptr, TextSink* errors = nullptr);
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
    BasicComponent& component(std::int32_t index) const {
        return *m_componentList[static_cast<std::size_t>(index)];
    }
    ComponentVariant& variant(std::int32_t index) const {
        return *m_variantList[static_cast<std::size_t>(index)];
    }

    // Building a catalogue. The file loader goes through these too.
    BasicComponent& addComponent(std::string name, Direction direction, std::int32_t dx,
                                 std::int32_t dy, std::int32_t dt);
    ComponentVariant& addVariant(BasicComponent& component, std::string name, std::int32_t period,
                                 std::int32_t maxCompression, std::int32_t minCompression,
                                 VariantType type, std::shared_ptr<const CellMap> imageMap,
                                 std::shared_ptr<const CellMap> usageMap);
    // Ends the components: builds the lookups by index and seeds the variant matrix from the
    // type letters and from the two variants placed end to end.
    void finishComponents();
    void setFollow(const ComponentVariant& first, const ComponentVariant& second, bool allowed);
    // A chain of 3 to 10 components that no chain may contain.
    void addSequence(const std::vector<const BasicComponent*>& components);

    // Whether b may directly follow a (a's output feeding b's input).
    bool canFollow(const ComponentVariant& a, const ComponentVariant& b) const {
        return m_variantMatrix[matrixIndex(a.index(), b.index())] != 0;
    }
    // Whether some active variant of the component may follow a, or precede b.
    bool canFollow(const ComponentVariant& a, const BasicComponent& component) const;
    bool canFollow(const BasicComponent& component, const ComponentVariant& b) const;

    // Takes out the shortest sequence left, or nothing when none is.
    std::optional<ComponentSequence> popSequence();
    std::size_t sequenceCount() const { return m_sequences.size(); }

    // Chooses the variants that take part in a run at this period and compression, and drops
    // those that cannot be linked into a chain. loopsOnly: every target is a closed loop.
    void prepare(std::int32_t period, std::int32_t compression, bool loopsOnly, bool buildCaches);

    // The automaton of forbidden sequences, built for the prepared catalogue where the solver is
    // (buildTree), with the depth to which it is complete.
    void setTree(std::unique_ptr<ACTree> tree, std::int32_t completeDepth);
    const ACTree* acTree() const { return m_acTree.get(); }

  private:
    void say(std::string_view text) const;
    void warn(std::string_view text);
    // Loading: each step is false after the first fault, which m_loadError then holds.
    bool readFile(const std::string& path);
    bool readComponentSection();
    bool readPairSection();
    bool readSequenceSection();
    // Reads the next line of the definition file; the end of the file is a fault.
    bool nextLine();
    // Takes the line read as the current one, refusing one that holds a NUL byte.
    bool takeLine();
    // Notes the fault at the current line; always false.
    bool fail(std::string_view what);

    // Line parsers: each writes its own message on failure and returns null (or false).
    BasicComponent* parseComponent();
    ComponentVariant* parseVariant(BasicComponent& component);
    std::shared_ptr<const CellMap> parseCellMap(bool wantImage);
    // Says on the error stream that a variant whose map was refused is never placed.
    void reportUnusable(const ComponentVariant& variant);
    std::optional<std::string> readRleText(LineReader& image, const std::string& path);
    bool parseInteger(std::int32_t minimum, std::int32_t maximum, std::int32_t& value);
    // parseInteger, followed on failure by the field's own message.
    std::optional<std::int32_t> parseField(std::int32_t minimum, std::int32_t maximum,
                                           std::string_view failure);

    std::size_t matrixIndex(std::int32_t row, std::int32_t column) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_variantCount) +
               static_cast<std::size_t>(column);
    }
    void seedVariantMatrix();
    bool applyPairLine(std::string_view line);
    bool applySequenceLine();
    // The variants a pair-line name stands for: a variant of that name, or all variants of the
    // component of that name. A fault when neither exists.
    bool resolvePairName(std::string_view name, std::vector<const ComponentVariant*>& variants);
    // Clear a variant's row or column of the matrix; true when some entry was set.
    bool clearRow(std::int32_t variant);
    bool clearColumn(std::int32_t variant);
    bool hasSuccessor(std::int32_t variant) const;
    bool hasPredecessor(std::int32_t variant) const;
    bool removeUnlinkedVariants(bool loopsOnly);

    struct FewerElementsOnTop {
        bool operator()(const ComponentSequence& a, const ComponentSequence& b) const {
            return a.size() > b.size();
        }
    };

    std::int32_t m_completeDepth = 0;
    std::unique_ptr<ACTree> m_acTree;
    std::int32_t m_maxVariants = 1;
    std::int32_t m_componentCount = 0;
    std::vector<BasicComponent*> m_componentList;
    std::int32_t m_variantCount = 0;
    std::vector<ComponentVariant*> m_variantList;
    // Row i, column j: variant j may follow variant i.
    std::vector<std::uint8_t> m_variantMatrix;
    // Components in file order (owned); variants in file order (owned by their components).
    std::deque<std::unique_ptr<BasicComponent>> m_components;
    std::deque<ComponentVariant*> m_variants;
    // Names are unique, so these find what a scan in file order finds, without making loading
    // quadratic in the size of the file.
    std::unordered_map<std::string, BasicComponent*> m_componentsByName;
    std::unordered_map<std::string, ComponentVariant*> m_variantsByName;
    // A heap of the sequences with the shortest on top.
    std::vector<ComponentSequence> m_sequences;

    TextSink* m_out = nullptr;
    TextSink* m_errors = nullptr;
    // The last error text ended without a line end.
    bool m_errorLineOpen = false;

    // Loading state: the file, its current line and the tokens of that line, and the fault.
    LoadError m_loadError;
    std::string m_path;
    std::unique_ptr<LineReader> m_reader;
    std::string m_line;
    LineTokens m_tokens;
    // The file each refused map was read from, to name it when its variants are reported.
    std::unordered_map<const CellMap*, std::string> m_refusedMapPaths;
};

}  // namespace trelkan
