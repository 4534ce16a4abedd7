#pragma once

#include <QByteArray>

namespace tarnwell::test {

// The saved file of the worked example: title My page, heading Welcome, every
// default, and the paragraph Hello; eleven lines and an empty one, CR LF each.
inline const QByteArray kWorkedExampleFile =
    "<HTML>\r\n"
    "<HEAD>\r\n"
    "<TITLE>My page</TITLE>\r\n"
    "<META name=\"description\" content=\" Tarnwell - the fast HTML page writer. It's "
    "FREEWARE and it's fast! Create good-looking pages with simple effects. MouseOver "
    "pictures and links easily created.\">\r\n"
    "<META name=\"keywords\" content=\"HTML, Freeware, freeware, web, editor, Internet, "
    "Education, education, computing\">\r\n"
    "</HEAD>\r\n"
    "<BODY  BGCOLOR=\"#FFFFFF\">\r\n"
    "<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>\r\n"
    "<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">Hello</FONT><P></P>\r\n"
    "</BODY>\r\n"
    "</HTML>\r\n"
    "\r\n";

} // namespace tarnwell::test
