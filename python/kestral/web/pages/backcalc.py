"""The backcalculation page: layers with seeds and bounds, sensors, an FWD
survey (with kestral-backcalc in the module)."""

from .page import Page, has_function

PAGE = Page(slug="backcalculate", title="Backcalculation", template="backcalc.html", scripts=("rows.js", "backcalc.js", "backcalc-report.js"),
            available=has_function("backcalculate_json"))
