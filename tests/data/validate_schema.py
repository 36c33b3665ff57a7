#!/usr/bin/env python3
"""Checks command documents against the bridge's JSON Schema with the
jsonschema package (draft 2020-12).

    validate_schema.py SCHEMA CASES

CASES is a JSON array of [document text, expected verdict (true = valid)].
Prints one line per document whose verdict differs and exits 1 then; exits 2
when the schema itself is not a valid draft 2020-12 schema."""
import json
import sys

import jsonschema


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    try:
        jsonschema.Draft202012Validator.check_schema(schema)
    except jsonschema.SchemaError as e:
        print("schema:", e.message)
        return 2
    validator = jsonschema.Draft202012Validator(schema)
    with open(sys.argv[2], encoding="utf-8") as f:
        cases = json.load(f)
    wrong = 0
    for text, expected in cases:
        valid = validator.is_valid(json.loads(text))
        if valid != expected:
            wrong += 1
            print(("refused: " if expected else "accepted: ") + text[:300])
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
