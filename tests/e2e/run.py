"""Runs one file's checks as unittest does, but says so to CTest (exit 77) when every one of them was
skipped on this build: usage: run.py test_NAME"""
import sys, unittest

result = unittest.main(module=sys.argv[1], argv=sys.argv[:1] + ["-v"], exit=False).result
sys.exit(1 if not result.wasSuccessful() else 77 if len(result.skipped) == result.testsRun else 0)
