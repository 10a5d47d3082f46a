#pragma once

#include <regex>
#include <string>
#include <vector>

// Reading back the bootstrap plot's SVG: its panels, their bars and labels.
namespace velmora::testing {

// The text of the panel group `<g id="ID">` up to its closing tag (panels
// hold no nested group); empty when there is none.
inline std::string plotPanel(const std::string& svg, const std::string& id) {
    const std::string open = "<g id=\"" + id + "\">";
    const std::size_t begin = svg.find(open);
    if (begin == std::string::npos) return {};
    const std::size_t end = svg.find("</g>", begin);
    return svg.substr(begin, end - begin);
}

// The contents of every <text class="CLASS" ...> in order, entities as written.
inline std::vector<std::string> textsOfClass(const std::string& svg, const std::string& cls) {
    std::vector<std::string> found;
    const std::regex text("<text class=\"" + cls + "\"[^>]*>([^<]*)</text>");
    for (std::sregex_iterator it(svg.begin(), svg.end(), text), end; it != end; ++it)
        found.push_back((*it)[1]);
    return found;
}

// The count of every bar (`<title>N trials</title>`), in order.
inline std::vector<int> barCounts(const std::string& svg) {
    std::vector<int> counts;
    const std::regex bar("<rect [^>]*class=\"bar\"[^>]*><title>([0-9]+) trials</title></rect>");
    for (std::sregex_iterator it(svg.begin(), svg.end(), bar), end; it != end; ++it)
        counts.push_back(std::stoi((*it)[1]));
    return counts;
}

}  // namespace velmora::testing
