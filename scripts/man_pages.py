#!/usr/bin/env python3
"""The manual pages of the Debian package, tempo.1 and tempoline-web.1, made from the programs' own
help: every command of tempo in a section of its own (its usage, what it does, each argument, its
example), and the sections a manual page has (NAME, SYNOPSIS, DESCRIPTION, OPTIONS, COMMANDS, EXIT
STATUS, FILES, SEE ALSO). The pages are UTF-8 roff, as man-db reads them: the Chinese of the help
stays Chinese.

    scripts/man_pages.py TEMPO TEMPOLINE_WEB VERSION OUTPUT_FOLDER

TEMPOLINE_WEB may be "" (a build without the service). The date of the pages is that of
SOURCE_DATE_EPOCH when it is set, so that the same commit gives the same pages."""
import datetime
import os
import re
import subprocess
import sys

UTF8 = dict(os.environ, LC_ALL="C.UTF-8")


def roff(text):
    """Text as roff reads it: backslashes and hyphens escaped, no line starting as a request."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def bold(text):
    return "\\fB" + roff(text) + "\\fR"


def help_of(program, *words):
    p = subprocess.run([program, *words, "--help"], capture_output=True, env=UTF8, check=True)
    return p.stdout.decode("utf-8")


def parse_help(text):
    """A CLI11 help text: what the command does, its usage, its sections of entries (Positionals,
    Options, Subcommands: (name, description) pairs) and the lines after them."""
    lines = text.splitlines()
    usage = next(i for i, line in enumerate(lines) if line.startswith("Usage: "))
    parsed = {"about": " ".join(lines[:usage]).strip(), "usage": lines[usage][len("Usage: "):], "sections": {},
              "notes": []}
    section = None
    for line in lines[usage + 1:]:
        if not line.strip():
            continue
        heading = re.fullmatch(r"(\w+):", line)
        if heading:
            section = parsed["sections"].setdefault(heading.group(1), [])
        elif line.startswith("    ") and section and section[-1][1] == "":
            section[-1] = (section[-1][0], line.strip())  # the description under a long name
        elif line.startswith("  ") and section is not None:
            name, _, about = line.strip().partition("  ")
            section.append((name, about.strip()))
        else:
            section = None
            parsed["notes"].append(line.strip())
    return parsed


def entries(out, items, skip=()):
    for name, about in items:
        if name in skip:
            continue
        words = name.split(" ", 1)
        out.append(".TP")
        out.append(bold(words[0]) + (" \\fI" + roff(words[1]) + "\\fR" if len(words) > 1 else ""))
        out.append(roff(about))


def header(name, version, about):
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    date = datetime.datetime.fromtimestamp(int(epoch), datetime.timezone.utc).strftime("%Y-%m-%d") if epoch else ""
    return ['.\\" The manual page of %s, made by scripts/man_pages.py from its help.' % name,
            '.TH %s 1 "%s" "%s %s" "User Commands"' % (name.upper(), date, name, version),
            ".SH NAME", "%s \\- %s" % (roff(name), roff(about))]


def tempo_page(tempo, version):
    top = parse_help(help_of(tempo))
    out = header("tempo", version, "the calculator of Tempoline, the Chinese perpetual calendar")
    out += [".SH SYNOPSIS", bold("tempo") + " [" + bold("--json") + "] \\fICOMMAND\\fR [\\fIARGUMENTS\\fR]", ".br",
            bold("tempo") + " \\fICOMMAND\\fR " + bold("--help"), ".br", bold("tempo") + " " + bold("--version"),
            ".SH DESCRIPTION",
            roff("tempo computes what the Tempoline calendar shows, from the same engine as the Windows program: "
                 "day numbers, the Sun and the Moon, solar terms and lunar phases, sun times, the lunar, "
                 "sexagenary and Hijri calendars, festivals and public holidays, yearly tables, date tools, "
                 "condition queries, and iCalendar files of the calendar and of lunar birthdays. Each command "
                 "prints text, or with --json one JSON document.")]
    dates = [n for n in top["notes"] if n.startswith("Dates are written")]
    if dates:
        out += [".PP", roff(dates[0])]
    out.append(".SH OPTIONS")
    entries(out, top["sections"].get("Options", []))
    out.append(".SH COMMANDS")
    pending = [[name] for name, _ in top["sections"].get("Subcommands", [])]
    while pending:
        words = pending.pop(0)
        command = parse_help(help_of(tempo, *words))
        out += [".SS " + '"' + roff(command["usage"]).replace('"', "") + '"', roff(command["about"])]
        for section in ("Positionals", "Options"):
            entries(out, command["sections"].get(section, []), skip=("-h,--help", "--help-all"))
        inner = command["sections"].get("Subcommands", [])
        if inner:
            out += [".PP", roff("Its commands:")]
            entries(out, inner)
            pending[0:0] = [words + [name] for name, _ in inner]
        for note in command["notes"]:
            if note.startswith("Example: "):
                out += [".PP", "Example:", ".RS", ".nf", roff(note[len("Example: "):]), ".fi", ".RE"]
            elif note not in dates:
                out += [".PP", roff(note)]
    out += [".SH \"EXIT STATUS\"", ".TP", "0", roff("The answer was printed (or the file written)."), ".TP", "2",
            roff("The command line was refused, with one line on the standard error that says which argument "
                 "and why, or the output could not be written; nothing was printed on the standard output."),
            ".SH FILES", ".TP", "\\fI$XDG_DATA_HOME/tempoline/holidays.tsv\\fR",
            roff("A newer public holiday table, merged over the built-in years when it is there; "
                 "~/.local/share/tempoline/holidays.tsv without XDG_DATA_HOME. --holidays-file names another. "
                 "UTF-8 lines of a date YYYY-MM-DD, a tab, 休 (day off) or 班 (weekend day worked), a tab and the "
                 "holiday's name, and \"#\" comment lines: the table tempoline-web serves at /holidays/cn.tsv."),
            ".SH \"SEE ALSO\"", bold("tempoline-web") + "(1)"]
    return out


def web_page(web, version):
    # The help's sections: "Routes (GET and HEAD):" and "Options:" of entries ("  NAME  what",
    # continued on lines indented further), then the forecast file's format, shown as it is.
    sections = {}
    section = None
    for line in help_of(web).splitlines()[1:]:
        if line and not line.startswith(" ") and line.endswith(":"):
            section = sections.setdefault(line[:-1].split(" (")[0], [])
        elif section is None or not line.strip():
            continue
        elif section is sections.get("Forecast file"):
            section.append(line[2:])
        elif line.startswith("  ") and not line.startswith("   "):
            name, _, about = line.strip().partition("  ")
            section.append([name, about.strip()])
        elif section:
            section[-1][1] += " " + line.strip()
    out = header("tempoline-web", version, "the weather and download pages of Tempoline")
    out += [".SH SYNOPSIS", bold("tempoline-web") + " [\\fIOPTIONS\\fR]", ".SH DESCRIPTION",
            roff("tempoline-web serves what the Windows program Tempoline reads over HTTP: the weather page of "
                 "every place code (/weather/CODE.shtml) from Open-Meteo's forecasts or a file, the download page "
                 "the help window checks for a newer version, the public holiday table (/holidays/cn.tsv) and "
                 "calendar subscriptions (/calendar.ics, the files of tempo ics). It logs to the standard error "
                 "and ends on SIGINT or SIGTERM."),
            ".SH ROUTES"]
    entries(out, [tuple(r) for r in sections["Routes"]])
    out.append(".SH OPTIONS")
    entries(out, [tuple(o) for o in sections["Options"]])
    out += [".SH \"FORECAST FILE\"", roff("The file of --source file:PATH, JSON in UTF-8:"), ".PP", ".nf"]
    out += [roff(line) for line in sections["Forecast file"] if line.startswith(" ") or line.startswith("{")]
    out += [".fi", ".PP", roff(" ".join(line.strip() for line in sections["Forecast file"]
                                        if not (line.startswith(" ") or line.startswith("{"))))]
    out += [".SH \"EXIT STATUS\"", ".TP", "0", roff("Stopped by a signal after serving."), ".TP", "1",
            roff("The address or port could not be taken, or the server failed."), ".TP", "2",
            roff("An option was refused, or the forecast source or the holiday table could not be read."),
            ".SH FILES", ".TP", "\\fI/etc/default/tempoline\\-web\\fR",
            roff("The forecast source, the port and further options of the systemd service tempoline-web.service, "
                 "which runs the service as its own user tempoline-web."),
            ".SH \"SEE ALSO\"", bold("tempo") + "(1), " + bold("systemctl") + "(1)"]
    return out


def main():
    tempo, web, version, folder = sys.argv[1:5]
    os.makedirs(folder, exist_ok=True)
    pages = [("tempo.1", tempo_page(tempo, version))]
    if web:
        pages.append(("tempoline-web.1", web_page(web, version)))
    for name, lines in pages:
        with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
