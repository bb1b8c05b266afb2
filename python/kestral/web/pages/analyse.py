"""The analysis page: layers, loads, points and units; the table and the
pictures of kestral-analyse's results."""

from .page import Page

PAGE = Page(slug="analyse", title="Analyse", template="analyse.html", scripts=("rows.js", "layers.js", "analyse-form.js", "analyse.js"))
