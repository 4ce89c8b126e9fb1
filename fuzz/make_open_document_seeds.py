#!/usr/bin/env python3
"""Writes the seeds of fuzz_open_document and fuzz_round_trip: a small sound
file and one damaged or lenient form of it per class the reader repairs or
tolerates, plus files whose objects share each other many times over."""
import os
import sys

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "open_document")


def pdf(objects, trailer, header=b"%PDF-1.4\n", entry_end=b" \n"):
    out = bytearray(header)
    offsets = {}
    for number, body in objects:
        offsets[number] = len(out)
        out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
    xref = len(out)
    size = max(offsets) + 1
    out += b"xref\n0 %d\n" % size
    for n in range(size):
        if n in offsets:
            out += b"%010d 00000 n" % offsets[n] + entry_end
        else:
            out += b"0000000000 65535 f" + entry_end
    out += b"trailer\n<< /Size %d %s >>\nstartxref\n%d\n%%%%EOF\n" % (size, trailer, xref)
    return bytes(out)


def stream(entries, data):
    return b"<< %s /Length %d >>\nstream\n%s\nendstream" % (entries, len(data), data)


def sound():
    return [
        (1, b"<< /Type /Catalog /Pages 2 0 R >>"),
        (2, b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>"),
        (3, b"<< /Type /Page /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>"),
        (4, stream(b"", b"BT /F1 12 Tf 10 10 Td (Hello) Tj ET")),
        (5, b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"),
    ]


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    base = pdf(sound(), b"/Root 1 0 R")
    write("sound.pdf", base)
    sx = base.rindex(b"startxref") + 10
    write("startxref_past_end.pdf", base[:sx] + b"99999999\n%%EOF\n")
    write("table_dropped.pdf", base[: base.rindex(b"endobj") + 7])
    write("offsets_shifted.pdf", base.replace(b"%PDF-1.4\n", b"%PDF-1.4\n% moved\n", 1))
    write("truncated.pdf", base[:-12])
    write("entries_21_bytes.pdf", pdf(sound(), b"/Root 1 0 R", entry_end=b" \r\n"))
    write("bytes_before_header.pdf", b"From: gateway\r\n\r\n" + base)
    write("version_2_0.pdf", pdf(sound(), b"/Root 1 0 R", header=b"%PDF-2.0\n"))
    # "6 0 obj 59endobj" and "7 0 obj endobj" (the writer adds a second endobj).
    write("glued_number_and_empty_object.pdf", pdf(sound() + [(6, b"59endobj"), (7, b"")], b"/Root 1 0 R"))
    write("direct_info.pdf", pdf(sound(), b"/Root 1 0 R /Info << /Title (direct) >>"))
    objs = sound()
    objs[1] = (2, b"<< /Kids [3 0 R << /MediaBox [0 0 9 9] >> 3 0 R] /Count 3 >>")
    objs[2] = (3, b"<< /MediaBox [0 0 200 200] /Contents 4 0 R >>")
    write("untyped_direct_repeated_pages.pdf", pdf(objs, b"/Root 1 0 R"))
    objs = sound()
    objs[3] = (4, b"<< /Length 0 /Filter /AHx >>\nstream\n4254204554\nendstream")
    write("length_zero_abbreviated_filter.pdf", pdf(objs, b"/Root 1 0 R"))
    shared = [(10 + k, b"[%d 0 R %d 0 R]" % (11 + k, 11 + k)) for k in range(40)] + [(50, b"<< >>")]
    write("shared_info.pdf", pdf(sound() + [(9, b"<< /X 10 0 R >>")] + shared, b"/Root 1 0 R /Info 9 0 R"))
    write("shared_encrypt.pdf", pdf(sound() + [(8, b"<< /Filter /Standard /V 1 /R 2 /O <00> /U <00> /P -4 /X 10 0 R >>")]
                                    + shared, b"/Root 1 0 R /Encrypt 8 0 R /ID [<01><01>]"))


if __name__ == "__main__":
    main()
