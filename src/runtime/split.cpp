#include "runtime/split.h"

namespace velmora {

std::vector<std::string_view> splitFields(std::string_view text, char delimiter) {
    std::vector<std::string_view> fields;
    forEachField(text, delimiter, [&fields](std::string_view field) {
        fields.push_back(field);
        return true;
    });
    return fields;
}

}  // namespace velmora
