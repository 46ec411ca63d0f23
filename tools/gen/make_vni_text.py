#!/usr/bin/env python3
"""Writes a UTF-8 text file in the Vni for Win code with CR LF line ends (the help texts).

usage: make_vni_text.py SOURCE OUTPUT
"""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_menu_speech import encoder  # noqa: E402
import make_code_tables as tables  # noqa: E402


def main():
    source, output = Path(sys.argv[1]), Path(sys.argv[2])
    vni_win = encoder(tables.VNI_ANSI)
    lines = [vni_win(line, f"{source}:{n}") for n, line in
             enumerate(source.read_text(encoding="utf-8").splitlines(), 1)]
    output.parent.mkdir(parents=True, exist_ok=True)
    output.write_bytes(b"\r\n".join(lines) + b"\r\n")


if __name__ == "__main__":
    main()
