@echo off
rem Puts the game's own league file back.
if exist "..\..\daten\liga.txt.original" copy /y "..\..\daten\liga.txt.original" "..\..\daten\liga.txt" >nul
if exist "..\..\daten\liga.txt.original" del "..\..\daten\liga.txt.original"
