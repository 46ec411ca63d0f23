// The dial-up entries without a network: the entry that stands for a network that is already
// up, the status texts of the dialling states, and the terse listings of NetworkManager's nmcli.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// The first dial-up entry: the network is up already, so dialling it does nothing and counts as
// connected.
inline constexpr const char* NetworkUpEntry = "Network already up";

// Dialling states, numbered as the dial-up status notices number them.
enum TRasState {
    rsOpenPort = 0,
    rsConnectDevice = 2,
    rsAuthenticate = 5,
    rsAuthenticated = 14,
    rsLogonNetwork = 21,
    rsConnected = 8192,
};
// The status text of a dialling state; empty for a state that has none.
std::string RasStatusText(int state);

// One row of an "nmcli -t" listing: its fields, split at the colons that are not escaped by a
// backslash, with the escapes removed. Rows are the lines of the output; empty lines are left
// out.
std::vector<std::vector<std::string>> ParseNmcliTerse(std::string_view output);

} // namespace tavi
