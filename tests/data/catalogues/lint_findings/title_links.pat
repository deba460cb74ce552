patch:Ends in a blank 
patch:Holds                                                                                                    a run
patch:Fine
description:Titles the window cannot link back to this file.
param:text|x
location:AABB
