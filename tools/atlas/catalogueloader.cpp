#include "tools/atlas/catalogueloader.h"

#include <cstdio>

#include "catalogue/componentregister.h"

namespace trelkan {

std::unique_ptr<ComponentRegister> CatalogueLoader::load() {
    LoadError error;
    std::unique_ptr<ComponentRegister> catalogue =
        ComponentRegister::load(m_path, m_messages, m_errors, error);
    if (!catalogue) {
        std::fputs(error.text().c_str(), stderr);
    }
    return catalogue;
}

}  // namespace trelkan
