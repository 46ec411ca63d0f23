#include "mail/dialentries.h"

namespace tavi {

std::string RasStatusText(int state) {
    switch (state) {
    case 0: return "Initializing...";
    case 2:
    case 3:
    case 4: return "Dialing...";
    case 5:
    case 19: return "Verifying user name and password";
    case 14: return "User name and password verified";
    case 21: return "Logging on to Network";
    case 8192: return "Successfully connected";
    default: return {};
    }
}

std::vector<std::vector<std::string>> ParseNmcliTerse(std::string_view output) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool any = false;
    auto endRow = [&] {
        if (any || !field.empty()) {
            row.push_back(std::move(field));
            rows.push_back(std::move(row));
        }
        row.clear();
        field.clear();
        any = false;
    };
    for (std::size_t i = 0; i < output.size(); ++i) {
        const char c = output[i];
        if (c == '\\' && i + 1 < output.size() && output[i + 1] != '\n') {
            field += output[++i];
            any = true;
        } else if (c == ':') {
            row.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n') {
            endRow();
        } else if (c != '\r') {
            field += c;
            any = true;
        }
    }
    endRow();
    return rows;
}

} // namespace tavi
