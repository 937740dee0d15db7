"""Prints deb-src entries, in deb822 form, for every Debian archive entry of
the apt source files given (sources.list files, or folders of *.list and
*.sources files), so that `apt-get source` finds the same suites as the
binary packages. Entries of other archives are left out: they rarely carry
sources, and their absence would fail `apt-get update`."""

import pathlib
import sys


def is_debian_archive(uris, signed_by):
    return "debian-archive-keyring" in signed_by or any(
        uri.rstrip("/").endswith(("/debian", "/debian-security")) for uri in uris)


def from_one_line_file(text):
    for line in text.splitlines():
        words = line.split("#", 1)[0].split()
        if len(words) < 4 or words[0] != "deb":
            continue
        options = []
        if words[1].startswith("["):
            while not words[1].endswith("]"):
                options.append(words.pop(1))
            options.append(words.pop(1))
        signed_by = " ".join(o for o in options if "signed-by=" in o).strip("[]")
        signed_by = signed_by.split("signed-by=", 1)[1] if signed_by else ""
        yield [words[1]], [words[2]], words[3:], signed_by


def from_deb822_file(text):
    for stanza in text.split("\n\n"):
        fields = {}
        for line in stanza.splitlines():
            if line.startswith("#") or ":" not in line:
                continue
            name, value = line.split(":", 1)
            fields[name.strip()] = value.split()
        if "deb" in fields.get("Types", []) and fields.get("Enabled", ["yes"]) != ["no"]:
            yield (fields.get("URIs", []), fields.get("Suites", []), fields.get("Components", []),
                   " ".join(fields.get("Signed-By", [])))


def source_files(paths):
    for path in map(pathlib.Path, paths):
        if path.is_dir():
            yield from sorted(path.glob("*.list"))
            yield from sorted(path.glob("*.sources"))
        elif path.is_file():
            yield path


def main(paths):
    stanzas = []
    for path in source_files(paths):
        text = path.read_text()
        read = from_deb822_file if path.suffix == ".sources" else from_one_line_file
        for uris, suites, components, signed_by in read(text):
            if not is_debian_archive(uris, signed_by):
                continue
            lines = ["Types: deb-src", "URIs: " + " ".join(uris), "Suites: " + " ".join(suites),
                     "Components: " + " ".join(components)]
            if signed_by:
                lines.append("Signed-By: " + signed_by)
            stanzas.append("\n".join(lines))
    if not stanzas:
        sys.exit("no Debian archive among the apt sources: " + " ".join(paths))
    print("\n\n".join(stanzas))


if __name__ == "__main__":
    main(sys.argv[1:])
