#include "school_files.h"

#include <fstream>

namespace batchtest {

std::string siecleFile(const std::vector<SieclePupil>& pupils) {
    std::string eleves, structures;
    for (size_t i = 0; i < pupils.size(); ++i) {
        const std::string id = pupils[i].id.empty() ? std::to_string(i + 1) : pupils[i].id;
        eleves += "<ELEVE ELEVE_ID=\"" + id + "\"><NOM_DE_FAMILLE>" + pupils[i].surname +
                  "</NOM_DE_FAMILLE><PRENOM>" + pupils[i].firstName +
                  "</PRENOM><DATE_NAISS>03/05/2014</DATE_NAISS></ELEVE>";
        structures += "<STRUCTURES_ELEVE ELEVE_ID=\"" + id + "\"><STRUCTURE><CODE_STRUCTURE>" +
                      pupils[i].division +
                      "</CODE_STRUCTURE><TYPE_STRUCTURE>D</TYPE_STRUCTURE></STRUCTURE>"
                      "</STRUCTURES_ELEVE>";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><BEE_ELEVES><DONNEES><ELEVES>" + eleves +
           "</ELEVES><STRUCTURES>" + structures + "</STRUCTURES></DONNEES></BEE_ELEVES>";
}

std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t from = 0, p; (p = bytes.find("\r\n", from)) != std::string::npos; from = p + 2)
        lines.push_back(bytes.substr(from, p - from));
    return lines;
}

std::vector<std::string> accountLines(const Folder& f, const std::string& name) {
    std::vector<std::string> lines;
    for (const auto& line : crlfLines(f.read(name)))
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

} // namespace batchtest
