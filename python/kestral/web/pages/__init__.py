"""The pages: each a module with a ``PAGE`` that plugs into the shared
layout (``templates/base.html``) and its navigation."""

from __future__ import annotations

from typing import List

from fastapi import APIRouter, Request
from fastapi.responses import HTMLResponse, RedirectResponse

from ... import _kestral

from . import analyse, backcalc, design
from .page import Page

PAGES: List[Page] = [analyse.PAGE, design.PAGE, backcalc.PAGE]

router = APIRouter()


def _render(request: Request, page: Page) -> HTMLResponse:
    templates = request.app.state.templates
    limits = request.app.state.limits
    return templates.TemplateResponse(page.template, {
        "request": request, "page": page, "pages": PAGES, "version": _kestral.__version__,
        "available": page.available(), "limits": limits,
    })


@router.get("/", include_in_schema=False)
async def home(request: Request) -> RedirectResponse:
    """The first page is the analysis."""
    return RedirectResponse(request.scope.get("root_path", "") + PAGES[0].path)


def _route(page: Page) -> None:
    async def show(request: Request) -> HTMLResponse:
        return _render(request, page)

    show.__name__ = f"page_{page.slug}"
    router.add_api_route(page.path, show, methods=["GET"], response_class=HTMLResponse,
                         include_in_schema=False)


for _page in PAGES:
    _route(_page)
