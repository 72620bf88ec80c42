@echo off
echo setupkit demo: installed and running.
