#!/usr/bin/env python3
"""Writes data/programok.csv, the program catalog shipped with the installation.

The programs are made up; their pictures are small JPEGs drawn here from simple shapes with
ImageMagick's convert. The layout of the file is described in README.md (Program catalog)."""
import base64
import pathlib
import subprocess
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent

# key, name, home page, download, category, free, description, picture (background, shape)
PROGRAMS = [
    (1, "Névjegy Tár", "https://www.example.com/nevjegytar/", "https://www.example.com/letoltes/nevjegytar.zip",
     "Iroda", "N", "Névjegyek és telefonszámok nyilvántartása, keresés és nyomtatás "
     "névjegykártya-lapokra.", ("#3b6ea5", "circle 125,83 125,20")),
    (2, "Számlázó Kis", "https://www.example.com/szamlazo/", "https://www.example.com/letoltes/szamlazo.zip",
     "Pénzügy", "N", "Számlák, nyugták és díjbekérők kis irodáknak, nyomtatással és exporttal.",
     ("#a5563b", "rectangle 60,40 190,127")),
    (3, "Leltár Füzet", "https://www.example.com/leltar/", "https://www.example.com/letoltes/leltar.zip",
     "Raktár", "I", "Egyszerű leltárnyilvántartás vonalkód nélkül, Excel exporttal.",
     ("#3ba55c", "polygon 125,20 200,147 50,147")),
    (4, "ábécé naptár", "https://www.example.com/naptar/", "https://www.example.com/letoltes/naptar.zip",
     "Iroda", "I", "Határidők és emlékeztetők egy ablakban; a naptár nyomtatható.",
     ("#8a3ba5", "roundrectangle 40,30 210,137 20,20")),
    (5, "Bérkalkulátor", "https://www.example.com/berkalk/", "https://www.example.com/letoltes/berkalk.zip",
     "Pénzügy", "N", "Bruttó-nettó bérszámítás a hatályos járulékokkal.", None),
]


def picture(spec, folder):
    if spec is None:
        return ""
    background, shape = spec
    path = pathlib.Path(folder) / "kep.jpg"
    subprocess.run(["convert", "-size", "250x167", "xc:" + background, "-fill", "white",
                    "-draw", shape, "-strip", "-quality", "80", str(path)], check=True)
    return base64.b64encode(path.read_bytes()).decode("ascii")


def quoted(value):
    return '"' + str(value).replace('"', '""') + '"'


def main():
    header = ["programok:integer", "programok_nev:text(50)", "link:text(255)", "letoltlink:text(255)",
              "kategoria:text(50)", "ingyenes:text(1)", "leiras:text(255)", "kep:jpeg-base64"]
    lines = [",".join(quoted(h) for h in header)]
    with tempfile.TemporaryDirectory() as folder:
        for key, name, link, download, category, free, text, spec in PROGRAMS:
            fields = [key, name, link, download, category, free, text, picture(spec, folder)]
            lines.append(",".join(quoted(f) for f in fields))
    (ROOT / "data" / "programok.csv").write_bytes(("\r\n".join(lines) + "\r\n").encode("utf-8"))


if __name__ == "__main__":
    main()
