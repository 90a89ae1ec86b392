"""The desktop program starts on the demo folder, shows its main window, and a SIGTERM closes it
as its close command does: the window's place and size are written to Kartevo.ini."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kartevo_e2e import Display, Paths, Program, fail, make_data_folder, read_ini, temporary_folder

MAIN_WINDOW = r"^Kartevo V"

paths = Paths()
with temporary_folder(paths) as home, Display() as display:
    data = make_data_folder(paths, home)
    with Program(paths, display, home) as program:
        display.wait_window(MAIN_WINDOW)
        program.signal()
        program.expect_clean_end()
    ini = read_ini(os.path.join(data, "Kartevo.ini"))
    place = ini.get("frm_Main", {})
    for key in ("Left", "Top", "Width", "Height"):
        if key not in place:
            fail("[frm_Main] %s was not written: %r" % (key, place))
    if int(place["Width"]) <= 0 or int(place["Height"]) <= 0:
        fail("an empty window size was written: %r" % place)
print("ok")
