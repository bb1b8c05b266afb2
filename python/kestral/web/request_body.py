"""What a request brings: its body within the server's size limit, and a
survey with its CSV drop file (a multipart form, since the server reads no
file of its own).

A refusal is :class:`Refused`: the status and the body of the answer."""

from __future__ import annotations

import email.parser
import email.policy
import json
from typing import Any, Dict, List, Optional, Tuple

from fastapi import Request
from fastapi.responses import JSONResponse

from .errors import SOURCE


class Refused(Exception):
    """A request answered with ``status`` and ``body`` instead of work."""

    def __init__(self, status: int, body: Dict[str, Any]) -> None:
        super().__init__(body.get("error"))
        self.status = status
        self.body = body

    def response(self) -> JSONResponse:
        return JSONResponse(self.body, status_code=self.status)


def refusal(status: int, message: str, field: Optional[str] = None) -> Refused:
    """A refusal whose message names ``field`` (or nothing)."""
    whole = f"{SOURCE}: {field}: {message}" if field else message
    return Refused(status, {"error": whole, "field": field, "message": message})


async def body_bytes(request: Request) -> bytes:
    """The request's body, refused past the server's size limit (413). Its
    bytes go to the reader as they came: the reader says what is wrong with
    them, text that is not UTF-8 included."""
    limit = request.app.state.limits.max_body
    declared = request.headers.get("content-length")
    if declared is not None and declared.isdigit() and int(declared) > limit:
        raise refusal(413, f"the request is {int(declared)} bytes, more than this server's "
                           f"limit of {limit} bytes")
    chunks: List[bytes] = []
    size = 0
    async for chunk in request.stream():
        size += len(chunk)
        if size > limit:
            raise refusal(413, f"the request is more than this server's limit of {limit} bytes")
        chunks.append(chunk)
    return b"".join(chunks)


def _form_parts(body: bytes, content_type: str) -> Dict[str, Tuple[bytes, Optional[str]]]:
    """The parts of a multipart/form-data body: name to (bytes, file name)."""
    head = f"Content-Type: {content_type}\r\nMIME-Version: 1.0\r\n\r\n".encode()
    message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(head + body)
    if not message.is_multipart():
        raise refusal(422, "the form is not multipart/form-data with a boundary")
    parts = {}
    for part in message.iter_parts():
        name = part.get_param("name", header="content-disposition")
        if name:
            parts[str(name)] = (part.get_payload(decode=True) or b"", part.get_filename())
    return parts


def _names_a_csv_file(survey: bytes) -> Optional[str]:
    """The survey's ``drops_csv``, when its text is JSON that has one (the
    reader says what is wrong with any other text)."""
    try:
        document = json.loads(survey)
    except ValueError:
        return None
    if isinstance(document, dict) and isinstance(document.get("drops_csv"), str):
        return document["drops_csv"]
    return None


async def survey_and_drops(request: Request) -> Tuple[bytes, str]:
    """The survey file's text and its CSV drop file's text ("" without one).

    The body is the survey alone, or a multipart form with the parts
    ``survey`` and ``drops_csv`` (``curl -F survey=@s.json -F
    drops_csv=@bowls.csv``). A survey that names a CSV file not sent is
    refused: the server reads no file, so the reader is always handed the
    CSV's text, never a path.
    """
    body = await body_bytes(request)
    content_type = request.headers.get("content-type", "")
    csv = b""
    if content_type.startswith("multipart/form-data"):
        parts = _form_parts(body, content_type)
        if "survey" not in parts:
            raise refusal(422, "the form has no part \"survey\" (the survey file)")
        body = parts["survey"][0]
        csv = parts.get("drops_csv", (b"", None))[0]
        if b"\0" in csv:
            raise refusal(422, "is not a CSV text file (it holds NUL bytes)", "drops_csv")
    name = _names_a_csv_file(body)
    if name is not None and not csv:
        raise refusal(422, f"names {name}, which was not sent with the survey: this server reads "
                           "no files; send it as the form's part \"drops_csv\"", "drops_csv")
    try:
        return body, csv.decode("utf-8")
    except UnicodeDecodeError as error:
        raise refusal(422, f"is not UTF-8 text (byte {error.start + 1})", "drops_csv") from None
