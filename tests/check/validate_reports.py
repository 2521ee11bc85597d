#!/usr/bin/env python3
"""Checks what velko-check wrote as its readers will read it.

  validate_reports.py FOLDER          every report of a class check in FOLDER
  validate_reports.py FORMAT FILE...  platform results against FORMAT's schema
                                      (gradescope, prairielearn)
  validate_reports.py grades RESULTS  prints each student's name, status, score,
                                      points, page and pictures, a line each

Reports: results.json (and slice.json) strict UTF-8 JSON, junit.xml
well-formed XML, grades.csv UTF-8 CSV of name, status and score, every HTML
page UTF-8 with no script but the report's own, every picture a PNG, and
platform results against their schemas. Prints what is wrong; exit status 1
when anything is.
"""
import base64
import csv
import io
import json
import pathlib
import sys
import xml.etree.ElementTree as ElementTree

import jsonschema

HERE = pathlib.Path(__file__).resolve().parent
PNG = b"\x89PNG\r\n\x1a\n"
PRAIRIELEARN_BYTES = 1 << 20  # the largest results PrairieLearn takes
problems = []


def text(path):
    return path.read_bytes().decode("utf-8")  # strict: invalid UTF-8 raises


def check_platform(format_name, path):
    schema = json.loads((HERE / "schemas" / f"{format_name}_results.schema.json").read_text())
    data = json.loads(text(path))
    for error in jsonschema.Draft7Validator(schema).iter_errors(data):
        problems.append(f"{path}: {error.message} at {list(error.path)}")
    if format_name == "prairielearn" and path.stat().st_size > PRAIRIELEARN_BYTES:
        problems.append(f"{path}: larger than PrairieLearn takes")
    urls = [image["url"] for test in data.get("tests", []) for image in test.get("images", [])]
    for url in urls:
        if not url.startswith("data:image/png;base64,") or \
                not base64.b64decode(url.split(",", 1)[1], validate=True).startswith(PNG):
            problems.append(f"{path}: an image that is not a PNG data URL")


def check_folder(folder):
    for name in ("results.json", "slice.json"):
        if (folder / name).exists():
            json.loads(text(folder / name))
    ElementTree.fromstring((folder / "junit.xml").read_bytes())
    rows = list(csv.reader(io.StringIO(text(folder / "grades.csv"))))
    if rows[0] != ["name", "status", "score"] or any(len(row) != 3 for row in rows):
        problems.append(f"{folder}/grades.csv: not name, status, score")
    for page in [folder / "index.html", *sorted((folder / "students").glob("*.html"))]:
        if text(page).count("<script") != (2 if page.name == "index.html" else 1):
            problems.append(f"{page}: a script that is not the report's")
    for picture in (folder / "pictures").glob("*"):
        if not picture.read_bytes().startswith(PNG):
            problems.append(f"{picture}: not a PNG")
    for format_name in ("gradescope", "prairielearn"):
        for path in sorted((folder / format_name).glob("*.json")):
            check_platform(format_name, path)


def print_grades(path):
    for student in json.loads(text(path))["students"]:
        pictures = [(p["picture"], p["reference_picture"], p["difference_picture"])
                    for run in student["runs"] for p in run["pictures"]]
        print(json.dumps([student[key] for key in ("name", "status", "score", "points", "page")]
                         + [pictures]))


def main():
    try:
        if sys.argv[1] == "grades":
            print_grades(pathlib.Path(sys.argv[2]))
        elif len(sys.argv) == 2:
            check_folder(pathlib.Path(sys.argv[1]))
        else:
            for path in sys.argv[2:]:
                check_platform(sys.argv[1], pathlib.Path(path))
    except (ValueError, ElementTree.ParseError, OSError) as error:
        problems.append(str(error))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
