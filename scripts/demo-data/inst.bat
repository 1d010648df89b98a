@echo off
rem Puts this dataset's league file in place of the game's own, keeping the game's file aside once.
if not exist "..\..\daten\liga.txt.original" copy /y "..\..\daten\liga.txt" "..\..\daten\liga.txt.original" >nul
copy /y "daten\liga.txt" "..\..\daten\liga.txt" >nul
