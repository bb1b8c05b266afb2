"""What mkdocs does not check: the #anchors of the built manual (every one
must name a heading of its page), the README's links into the checkout
(every one must name a file), and the code blocks of the README and of
docs/*.md (every ``` fence closed, or the rest of the page is code).

    python3 check_manual.py SITE_DIR README
"""

import html.parser
import pathlib
import re
import sys
import urllib.parse


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids = set()
        self.links = []

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if "id" in attributes:
            self.ids.add(attributes["id"])
        if tag == "a" and attributes.get("href"):
            self.links.append(attributes["href"])


def read(path):
    page = Page()
    page.feed(path.read_text(encoding="utf-8"))
    return page


def main(site, readme):
    faults = []
    pages = {path.resolve(): read(path) for path in site.rglob("*.html")}
    for path, page in pages.items():
        for link in page.links:
            parts = urllib.parse.urlsplit(link)
            if parts.scheme or parts.netloc or not parts.fragment:
                continue
            target = path
            if parts.path:
                target = (path.parent / urllib.parse.unquote(parts.path)).resolve()
                if target.is_dir() or not target.suffix:
                    target = target / "index.html"
            if target not in pages:
                faults.append(f"{path.relative_to(site.resolve())}: {link}: no such page")
            elif parts.fragment not in pages[target].ids:
                faults.append(f"{path.relative_to(site.resolve())}: {link}: no such heading")
    for link in re.findall(r"\]\(([^)#\s]+)(?:#[^)]*)?\)", readme.read_text(encoding="utf-8")):
        if "://" not in link and not (readme.parent / link).exists():
            faults.append(f"{readme.name}: {link}: no such file")
    for page in [readme, *sorted((readme.parent / "docs").glob("*.md"))]:
        fences = [line for line in page.read_text(encoding="utf-8").splitlines() if line.startswith("```")]
        if len(fences) % 2:
            faults.append(f"{page.name}: a code block is not closed")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])))
