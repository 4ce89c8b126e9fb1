#!/usr/bin/env python3
"""Writes a many-page PDF for the side-by-side lock comparison.

Every page has a Flate-compressed text content stream, a link to the next
page and one to a web address; the document has a two-level outline (one
chapter per 50 pages, one entry per page), an information dictionary and a
file identifier. Usage: make_big_pdf.py OUT [PAGES]
"""
import sys
import zlib


def main():
    out_name = sys.argv[1]
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 2500
    objects = {}

    def put(number, body):
        objects[number] = body

    # Fixed objects: 1 catalog, 2 page tree, 3 font, 4 info, 5 outline root.
    # Page k (0-based) uses numbers base+4k .. base+4k+3: page, contents,
    # link to the next page, web link. Outline items follow the pages.
    base = 10
    page_no = lambda k: base + 4 * k
    chapters = (pages + 49) // 50
    chapter_no = lambda c: base + 4 * pages + c
    item_no = lambda k: base + 4 * pages + chapters + k

    put(1, b"<< /Type /Catalog /Pages 2 0 R /Outlines 5 0 R /PageMode /UseOutlines >>")
    kids = b" ".join(b"%d 0 R" % page_no(k) for k in range(pages))
    put(2, b"<< /Type /Pages /Count %d /Kids [ %s ] /MediaBox [ 0 0 595 842 ] >>" % (pages, kids))
    put(3, b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
    put(4, b"<< /Title (Benchmark document) /Producer (make_big_pdf) /CreationDate (D:20240101000000Z) >>")
    put(5, b"<< /Type /Outlines /First %d 0 R /Last %d 0 R /Count %d >>"
        % (chapter_no(0), chapter_no(chapters - 1), chapters))

    words = ("lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor "
             "incididunt ut labore et dolore magna aliqua").split()
    for k in range(pages):
        lines = []
        for line in range(45):
            text = " ".join(words[(k + line + i) % len(words)] for i in range(12))
            lines.append(b"BT /F1 10 Tf 50 %d Td (%d.%d %s) Tj ET" % (800 - 16 * line, k + 1, line + 1, text.encode()))
        content = zlib.compress(b"\n".join(lines), 6)
        n = page_no(k)
        nxt = page_no((k + 1) % pages)
        put(n, b"<< /Type /Page /Parent 2 0 R /Contents %d 0 R /Resources << /Font << /F1 3 0 R >> >> "
               b"/Annots [ %d 0 R %d 0 R ] >>" % (n + 1, n + 2, n + 3))
        put(n + 1, b"<< /Length %d /Filter /FlateDecode >>\nstream\n" % len(content) + content + b"\nendstream")
        put(n + 2, b"<< /Type /Annot /Subtype /Link /Rect [ 50 20 150 40 ] /Border [ 0 0 0 ] "
                   b"/Dest [ %d 0 R /XYZ 0 842 0 ] >>" % nxt)
        put(n + 3, b"<< /Type /Annot /Subtype /Link /Rect [ 200 20 300 40 ] /Border [ 0 0 0 ] "
                   b"/A << /S /URI /URI (https://example.com/page/%d) >> >>" % (k + 1))

    for c in range(chapters):
        first, last = c * 50, min(pages, (c + 1) * 50) - 1
        prev = b" /Prev %d 0 R" % chapter_no(c - 1) if c > 0 else b""
        nxt = b" /Next %d 0 R" % chapter_no(c + 1) if c < chapters - 1 else b""
        put(chapter_no(c), b"<< /Title (Chapter %d) /Parent 5 0 R%s%s /First %d 0 R /Last %d 0 R /Count %d "
                           b"/Dest [ %d 0 R /Fit ] >>"
            % (c + 1, prev, nxt, item_no(first), item_no(last), last - first + 1, page_no(first)))
        for k in range(first, last + 1):
            prev = b" /Prev %d 0 R" % item_no(k - 1) if k > first else b""
            nxt = b" /Next %d 0 R" % item_no(k + 1) if k < last else b""
            put(item_no(k), b"<< /Title (Page %d) /Parent %d 0 R%s%s /Dest [ %d 0 R /XYZ 0 842 0 ] >>"
                % (k + 1, chapter_no(c), prev, nxt, page_no(k)))

    size = max(objects) + 1
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for n in sorted(objects):
        offsets[n] = len(out)
        out += b"%d 0 obj\n" % n + objects[n] + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n" % size
    for n in range(size):
        out += (b"%010d 00000 n \n" % offsets[n]) if n in offsets else b"0000000000 65535 f \n"
    out += (b"trailer\n<< /Size %d /Root 1 0 R /Info 4 0 R /ID [ <0123456789ABCDEF0123456789ABCDEF> "
            b"<0123456789ABCDEF0123456789ABCDEF> ] >>\nstartxref\n%d\n%%%%EOF\n" % (size, xref))
    with open(out_name, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
