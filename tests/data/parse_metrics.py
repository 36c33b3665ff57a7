#!/usr/bin/env python3
"""Parses a Prometheus text exposition with the official client's parser and
prints every sample as a JSON object {"name", "labels", "value"}, one list.

    parse_metrics.py PAGE OUT

Exits 1 (with the parser's message) when the page does not parse."""
import json
import sys

from prometheus_client.parser import text_string_to_metric_families


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        text = f.read()
    try:
        samples = [
            {"name": s.name, "labels": s.labels, "value": s.value, "type": family.type}
            for family in text_string_to_metric_families(text)
            for s in family.samples
        ]
    except Exception as e:  # the parser raises ValueError and others
        print("metrics:", e)
        return 1
    with open(sys.argv[2], "w", encoding="utf-8") as f:
        json.dump(samples, f)
    return 0


if __name__ == "__main__":
    sys.exit(main())
