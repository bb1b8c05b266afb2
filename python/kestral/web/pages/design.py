"""The design check page: axles, criteria, seasons, thickness search
(with kestral-design in the module)."""

from .page import Page, has_function

PAGE = Page(slug="design", title="Design check", template="design.html", scripts=("rows.js", "layers.js", "design.js", "design-report.js"),
            available=has_function("design_json"))
