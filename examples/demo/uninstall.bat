@echo off
echo This placeholder stands in for the product uninstaller.
