#pragma once

#include <QIcon>

namespace kartevo {

// The tool bar pictures of the lookup lists, by their index in the client list window's
// picture list: 0 new, 1 edit, 2 delete, 7 close, 8 search, 21 accept.
QIcon ListIcon(int index);

} // namespace kartevo
